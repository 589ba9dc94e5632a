#pragma once
// The five input counters read from the module, edited and written back.
#include "link/counters.hpp"

#include <QDialog>

#include <array>

class QLineEdit;

namespace qv::gui {

class AppContext;

class CountersWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CountersWindow(AppContext& ctx, QWidget* parent = nullptr);
    // Shows the values a read brought and runs the window modally.
    void editCounters(const qv::CounterValues& values);

    // "Zapisz do urządzenia": a write session with the edits' texts, then the window closes.
    // Texts that are not counters are refused with a message before anything is sent, and the
    // window stays open for them to be corrected.
    void writeToDevice();

  private:
    AppContext& ctx_;
    std::array<QLineEdit*, kCounterCount> edits_{};
};

} // namespace qv::gui
