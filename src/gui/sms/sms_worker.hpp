#pragma once
// Runs one SMS batch on its own thread: opens the modem's port there, sends the batch through the
// core's sender and reports what happens through queued signals. The window asks it to stop
// (between messages) and answers its question for the SIM's PIN; neither ever blocks the window.
#include "archive/sms_batch_archive.hpp"
#include "sms/sms_sender.hpp"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace qv::gui {

struct SmsRunRequest {
    SmsBatch batch;
    std::string portName;
    std::string archivePath;              // where batches are kept (empty: jsonPath)
    std::string jsonPath;                 // the file store, when there is no archive
    std::optional<SmsBatchTarget> target; // what a new batch leads to
    SmsSendOptions options;
    std::string userName;
};

class SmsWorker : public QObject {
    Q_OBJECT
  public:
    // Called on the worker's thread (queued from the window).
    void run(const SmsRunRequest& request);
    // From the window's thread, before a run is queued: a stop asked for earlier is forgotten.
    void prepareRun();
    // From the window's thread: no further message goes out; a PIN question is answered "no".
    void requestStop();
    // The window's answer to pinWanted: the PIN, or nothing to give up.
    void answerPin(const std::optional<std::string>& pin);

  Q_SIGNALS:
    void messageChanged(const qv::SmsBatch& batch, int index);
    void replyReceived(const qv::SmsReply& reply);
    void logLine(const QString& text);
    void modemStatus(const QString& text);
    void pinWanted();
    // completed: every message was tried; entry: the archive entry the batch added (0: none).
    void finished(const qv::SmsBatch& batch, bool completed, const QString& message, qint64 entry);

  private:
    friend class SmsWorkerObserver;
    std::optional<std::string> waitForPin();

    std::mutex mutex_;
    std::condition_variable answered_;
    SmsBatchSender* sender_ = nullptr;
    bool stop_ = false;
    bool pinAsked_ = false;
    std::optional<std::optional<std::string>> pin_;
};

} // namespace qv::gui

Q_DECLARE_METATYPE(qv::SmsBatch)
Q_DECLARE_METATYPE(qv::SmsReply)
