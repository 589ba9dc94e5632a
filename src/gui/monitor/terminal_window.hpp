#pragma once
// The service terminal: sends AT command lines and SMS bodies through the monitor's port and
// shows what the monitor receives (line log, byte log, the last line of each kind). It has no
// port of its own; the monitor shows it beside itself in service mode and feeds it.
#include <QString>
#include <QWidget>

#include <cstdint>
#include <span>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace qv {
class MonitorModel;
}

namespace qv::gui {

class TerminalWindow : public QWidget {
    Q_OBJECT
  public:
    // Byte-log lines kept: one line per received byte would otherwise grow without end.
    static constexpr int kByteLogLines = 1000;

    explicit TerminalWindow(QWidget* parent = nullptr);

    QLineEdit* command() const { return command_; }
    // Places the window beside `other` on its screen, narrower when the room beside it is
    // smaller; on a screen too narrow for both, `other` moves to the screen's left edge, and
    // on one too narrow even then the window keeps to the right edge, over `other`'s right
    // side rather than its values and buttons.
    void placeBeside(QWidget* other);
    // Received bytes for the byte log, shown at the next refresh.
    void noteBytes(std::span<const std::uint8_t> bytes);
    // Shows what changed in the model's line log and tag table, and the pending bytes.
    void refresh(const qv::MonitorModel& model);

  Q_SIGNALS:
    void sendCommand(const QString& command);
    void sendSmsBody(const QString& command, const QString& body);

  private:
    void refreshLineLog(const qv::MonitorModel& model);

    QLineEdit* command_;
    QLineEdit* smsBody_;
    QPushButton* send_;
    QPushButton* sms_;
    QPlainTextEdit* lineLog_;
    QPlainTextEdit* byteLog_;
    QTableWidget* tags_;
    std::string pendingBytes_;
    std::size_t linesShown_ = 0;
    long long clearsShown_ = 0;
};

} // namespace qv::gui
