#pragma once
// The device-link window: every exchange with the module except the monitor runs here as one
// session. A caller sets the request (and the bytes to send), runs the window modally and reads
// the result. The session itself runs on a worker thread 500 ms after the window is shown; the
// window stays responsive, shows the log line by line and the gauge, and can be closed (the
// finish button, Enter or Escape) only once the session has ended.
#include "gui/link/link_worker.hpp"

#include <QDialog>
#include <QThread>
#include <QTimer>

class QAction;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace qv::gui {

class AppContext;

class LinkWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kStartDelayMs = 500;
    static constexpr int kGaugeIntervalMs = 33;

    explicit LinkWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~LinkWindow() override;

    // The request persists between sessions: "Usuń hasło" changes only the mode.
    SessionRequest& request() { return request_; }
    // Bytes a write sends and the firmware file; the firmware file persists between sessions
    // until a session finds it cannot be read.
    LinkInputs& inputs() { return inputs_; }
    // The firmware file the last upload could not read (no longer chosen), or empty.
    const std::string& unreadableFirmwareFile() const { return unreadableFirmwareFile_; }

    // Shows the window modally, runs one session and returns its sessionResult (1 or -1).
    int runSession();
    int runSession(LinkMode mode, const std::string& password, int transferLength);

    const LinkResults& results() const { return results_; }
    bool sessionRunning() const { return running_; }

    // The gauge tells how long the session has been waiting for the module (limitMs 0: it
    // is not waiting, and the gauge shows its percentage again).
    void showWaiting(int waitedMs, int limitMs);

  Q_SIGNALS:
    void startSession(const qv::SessionRequest& request, const qv::gui::LinkInputs& inputs);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    void begin();
    void appendLog(const QString& line);
    void showAdapterHint(const QStringList& lines, bool offersElevatedFix, const QString& port);
    void startAdapterFix();
    void sessionFinished(const LinkResults& results);
    void updateGauge();
    void finish();

    AppContext& ctx_;
    SessionRequest request_;
    LinkInputs inputs_;
    LinkResults results_;
    std::string unreadableFirmwareFile_;
    bool running_ = false;
    bool ended_ = false;

    QProgressBar* gauge_;
    QToolButton* finishButton_;
    QAction* adapterFixAction_;
    QString adapterFixPort_;
    QPlainTextEdit* log_;
    QTimer startTimer_;
    QTimer gaugeTimer_;
    QThread thread_;
    LinkWorker* worker_;
};

} // namespace qv::gui
