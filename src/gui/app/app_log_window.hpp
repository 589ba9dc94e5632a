#pragma once
// The application log: start-up, the configuration files and the hex dump write to it. The
// service page shows it; otherwise the tool bar's "Log" opens it in this small window. A double
// click empties it.
#include <QDialog>
#include <QPlainTextEdit>

namespace qv::gui {

class AppContext;

class AppLogView : public QPlainTextEdit {
    Q_OBJECT
  public:
    AppLogView(AppContext& ctx, QWidget* parent = nullptr);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void reload();
    AppContext& ctx_;
};

class AppLogWindow : public QDialog {
    Q_OBJECT
  public:
    explicit AppLogWindow(AppContext& ctx, QWidget* parent = nullptr);
};

} // namespace qv::gui
