#pragma once
// "Wyślij SMS konfiguracyjne": the change from what the module holds (its latest archive entry,
// a file, or nothing: the whole configuration) to the window's configuration, sent as SMS through
// a GSM modem. The commands and the number of messages are shown before anything is sent; every
// message's state follows the batch live, with the modem's log and the module's replies. The
// modem session runs on a worker thread; a stopped batch (paused, closed, modem gone) is kept
// in the archive and offered for resuming.
#include "archive/sms_batch_archive.hpp"
#include "sms/sms_sender.hpp"

#include <QDialog>
#include <QThread>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace qv::gui {

class AppContext;
class SmsWorker;

class SmsWindow : public QDialog {
    Q_OBJECT
  public:
    enum class BaseKind { archive, file, whole };

    explicit SmsWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~SmsWindow() override;

    // Where batches are kept: the archive's file (tests give their own).
    void setArchivePath(const std::string& path) { archivePath_ = path; }
    const std::string& archivePath() const { return archivePath_; }
    // The pauses and waits of a run (tests shorten them).
    void setSendOptions(const SmsSendOptions& options) { options_ = options; }
    bool sending() const { return running_; }
    // The batch shown (none before the first "Wyślij" or "Dokończ").
    const std::optional<SmsBatch>& batch() const { return batch_; }

    // Fills the number and the base, as the caller knows them.
    void setNumber(const QString& number);
    void setBase(BaseKind kind, const QString& text);
    // The commands from the base to the window's configuration, shown in the table.
    bool prepare();

  public Q_SLOTS:
    // Esc while sending asks, as closing does.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void send();
    void pause();
    void resume();
    void continueUnfinished();
    void resolve(UnknownChoice choice);
    void startRun(const std::optional<SmsBatchTarget>& target);
    void askPin();
    void showBatch();
    void showMessage(int index);
    void showCount();
    void updateButtons();
    void checkUnfinished();
    void log(const QString& line);
    std::unique_ptr<SmsBatchStore> store();
    std::optional<std::string> number();

    AppContext& ctx_;
    std::string archivePath_;
    SmsSendOptions options_;
    QThread thread_;
    SmsWorker* worker_ = nullptr;
    bool running_ = false;
    bool closeWhenStopped_ = false;

    std::optional<SmsChange> change_;
    std::string source_;
    SmsBatchTarget target_;
    bool targetKnown_ = false;
    std::optional<SmsBatch> batch_;
    std::optional<SmsBatch> unfinished_;

    QLineEdit* numberEdit_ = nullptr;
    QComboBox* baseKind_ = nullptr;
    QLineEdit* baseEdit_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLabel* baseInfo_ = nullptr;
    QTableWidget* messages_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* unfinishedLabel_ = nullptr;
    QPushButton* continue_ = nullptr;
    QComboBox* port_ = nullptr;
    QLabel* modemState_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* resumeButton_ = nullptr;
    QPushButton* sentButton_ = nullptr;
    QPushButton* resendButton_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QTableWidget* replies_ = nullptr;
    QDialog* pinDialog_ = nullptr;
};

// The archive's file for this user (QVPROG_ARCHIVE, else the user's data folder).
std::string userArchivePath();

} // namespace qv::gui
