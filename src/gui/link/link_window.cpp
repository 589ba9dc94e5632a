#include "gui/link/link_window.hpp"

#include "gui/app/app_context.hpp"
#include "gui/app/appearance.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/window_placement.hpp"
#include "link/link_session.hpp"
#include "platform/system_port.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace qv::gui {

LinkWindow::LinkWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    qRegisterMetaType<qv::SessionRequest>();
    qRegisterMetaType<qv::gui::LinkInputs>();
    qRegisterMetaType<qv::gui::LinkResults>();
    setObjectName(QStringLiteral("TSerialCommForm"));
    centreOnScreenWhenShown(this);
    setWindowTitle(QStringLiteral("Vorkal Comm Module 1.1"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->setTextVisible(true);

    auto* toolBar = new GradientToolBar(QStringLiteral("ToolBar1"), this);
    finishButton_ = new QToolButton(toolBar);
    finishButton_->setObjectName(QStringLiteral("ButtonFinish"));
    finishButton_->setText(QStringLiteral("      &Zamknij      "));
    finishButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    finishButton_->setEnabled(false);
    toolBar->addWidget(finishButton_);
    // Shown only after a slow-adapter hint whose fix the window can start (Windows, FTDI).
    auto* adapterFix = new QToolButton(toolBar);
    adapterFix->setObjectName(QStringLiteral("ButtonAdapterFix"));
    adapterFix->setText(QStringLiteral("Ustaw opóźnienie adaptera 1 ms..."));
    adapterFix->setAccessibleName(QStringLiteral("Ustaw opóźnienie adaptera 1 ms"));
    adapterFix->setToolTip(QStringLiteral(
        "Uruchamia qvprog-cli adapter --low-latency jako administrator; potem adapter trzeba "
        "odłączyć i podłączyć ponownie"));
    adapterFix->setToolButtonStyle(Qt::ToolButtonTextOnly);
    adapterFixAction_ = toolBar->addWidget(adapterFix);
    adapterFixAction_->setVisible(false);
    connect(adapterFix, &QToolButton::clicked, this, &LinkWindow::startAdapterFix);

    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("Memo1"));
    log_->setAccessibleName(QStringLiteral("Przebieg połączenia"));
    log_->setReadOnly(true);
    log_->setFont(fixedPitchFont());
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A long line (the firmware platform refusal) wraps at the window's edge.
    log_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    log_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(gauge_);
    layout->addWidget(toolBar);
    layout->addWidget(log_);
    setFixedSize(560, 420);

    startTimer_.setSingleShot(true);
    startTimer_.setInterval(kStartDelayMs);
    connect(&startTimer_, &QTimer::timeout, this, &LinkWindow::begin);
    gaugeTimer_.setInterval(kGaugeIntervalMs);
    connect(&gaugeTimer_, &QTimer::timeout, this, &LinkWindow::updateGauge);
    connect(finishButton_, &QToolButton::clicked, this, &LinkWindow::finish);

    worker_ = new LinkWorker;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(this, &LinkWindow::startSession, worker_, &LinkWorker::run, Qt::QueuedConnection);
    connect(worker_, &LinkWorker::logLine, this, &LinkWindow::appendLog, Qt::QueuedConnection);
    connect(
        worker_, &LinkWorker::messageBox, this,
        [this](const QString& text) { ctx_.ui.error(this, text); }, Qt::QueuedConnection);
    connect(worker_, &LinkWorker::adapterHint, this, &LinkWindow::showAdapterHint,
            Qt::QueuedConnection);
    connect(worker_, &LinkWorker::finished, this, &LinkWindow::sessionFinished,
            Qt::QueuedConnection);
    thread_.setObjectName(QStringLiteral("LinkSession"));
    thread_.start();
}

LinkWindow::~LinkWindow() {
    thread_.quit();
    thread_.wait();
}

int LinkWindow::runSession(LinkMode mode, const std::string& password, int transferLength) {
    request_.mode = mode;
    request_.password = password;
    request_.transferLength = transferLength;
    return runSession();
}

int LinkWindow::runSession() {
    results_ = LinkResults{};
    ended_ = false;
    exec();
    return results_.sessionResult;
}

void LinkWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (running_ || ended_) return;
    log_->clear();
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    showWaiting(0, 0);
    finishButton_->setEnabled(false);
    adapterFixAction_->setVisible(false);
    request_.portName = ctx_.portName().toStdString();
    request_.reverseReset = ctx_.reverseReset();
    request_.verify = ctx_.verifyTransfer;
    running_ = true;
    startTimer_.start();
}

void LinkWindow::begin() {
    worker_->gaugeMax = 100;
    worker_->gaugeValue = 0;
    worker_->waitLimitMs = 0;
    gaugeTimer_.start();
    Q_EMIT startSession(request_, inputs_);
}

void LinkWindow::appendLog(const QString& line) {
    log_->appendPlainText(line);
}

// The hint follows the lines the session has logged so far; the session's own lines go on.
void LinkWindow::showAdapterHint(const QStringList& lines, bool offersElevatedFix,
                                 const QString& port) {
    for (const auto& line : lines)
        appendLog(line);
    adapterFixPort_ = port;
    adapterFixAction_->setVisible(offersElevatedFix);
}

void LinkWindow::startAdapterFix() {
    std::string error;
    if (!startElevatedLowLatency(adapterFixPort_.toStdString(), error)) {
        ctx_.ui.error(this, QString::fromStdString(error));
        return;
    }
    appendLog(QStringLiteral("Uruchomiono qvprog-cli adapter %1 --low-latency jako administrator; "
                             "po zmianie odłącz adapter i podłącz go ponownie.")
                  .arg(adapterFixPort_));
}

void LinkWindow::updateGauge() {
    const int max = std::max(1, worker_->gaugeMax.load());
    if (gauge_->maximum() != max) gauge_->setMaximum(max);
    const int value = std::clamp(worker_->gaugeValue.load(), 0, max);
    if (gauge_->value() != value) gauge_->setValue(value);
    showWaiting(worker_->waitedMs.load(), worker_->waitLimitMs.load());
}

void LinkWindow::showWaiting(int waitedMs, int limitMs) {
    const QString format = limitMs > 0 ? QString::fromStdString(waitingText(waitedMs, limitMs))
                                       : QStringLiteral("%p%");
    if (gauge_->format() != format) gauge_->setFormat(format);
}

void LinkWindow::sessionFinished(const LinkResults& results) {
    gaugeTimer_.stop();
    updateGauge();
    showWaiting(0, 0);
    results_ = results;
    if (results.firmwareFileUnreadable) {
        unreadableFirmwareFile_ = std::exchange(inputs_.firmwareFile, {});
    }
    running_ = false;
    ended_ = true;
    finishButton_->setEnabled(true);
    log_->setFocus();
    ctx_.ui.play(Sound::Ding);
}

void LinkWindow::finish() {
    if (!finishButton_->isEnabled()) return;
    done(results_.sessionResult);
}

void LinkWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        finish();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void LinkWindow::reject() {
    finish();
}

void LinkWindow::closeEvent(QCloseEvent* event) {
    if (!finishButton_->isEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace qv::gui
