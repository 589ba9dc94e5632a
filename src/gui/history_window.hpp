#pragma once
// The event history read from the module or carried by a binary configuration file.
#include <cstdint>
#include <vector>

#include <QDialog>

namespace qv::gui {

class AppContext;

class HistoryWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HistoryWindow(AppContext& ctx, QWidget* parent = nullptr);
    // The 8000-byte event buffer of a 13123-byte configuration file: fills the grid and
    // reports "Historia otwarta pomyślnie".
    void showFileBuffer(const std::vector<std::uint8_t>& buffer);

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
