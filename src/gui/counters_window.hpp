#pragma once
// The five input counters read from the module, edited and written back.
#include "link/counters.hpp"

#include <QDialog>

namespace qv::gui {

class AppContext;

class CountersWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CountersWindow(AppContext& ctx, QWidget* parent = nullptr);
    // Shows the values a read brought and runs the window modally.
    void editCounters(const qv::CounterValues& values);

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
