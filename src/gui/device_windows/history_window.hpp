#pragma once
// The event history read from the module or carried by a binary configuration file: the
// 200-row table, the firmware and serial number it came with, and its text file.
#include "monitor/event_history.hpp"

#include <cstdint>
#include <vector>

#include <QDialog>

class QLabel;
class QToolButton;

namespace qv::gui {

class AppContext;
class HistoryGrid;

class HistoryWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HistoryWindow(AppContext& ctx, QWidget* parent = nullptr);
    // The 8000-byte event buffer of a 13123-byte configuration file: fills the grid and
    // reports "Historia otwarta pomyślnie".
    void showFileBuffer(const std::vector<std::uint8_t>& buffer);

    // "O&dczytaj bufor": the event buffer through the link window.
    void readBuffer();
    // "&Zapisz do pliku": the history text file.
    void saveToFile();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showTable(const HistoryTable& table, const QString& firmware, const QString& serial);

    AppContext& ctx_;
    QToolButton* readButton_;
    QToolButton* saveButton_;
    QLabel* firmwareLabel_;
    QLabel* serialNumberLabel_;
    HistoryGrid* grid_;
};

} // namespace qv::gui
