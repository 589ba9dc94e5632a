#include "gui/monitor/monitor_window.hpp"

#include "common/file_io.hpp"
#include "config/messages.hpp"
#include "gui/app/app_context.hpp"
#include "gui/monitor/monitor_indicators.hpp"
#include "gui/monitor/monitor_reader.hpp"
#include "gui/monitor/monitor_view.hpp"
#include "gui/monitor/replay_bar.hpp"
#include "gui/monitor/resets_window.hpp"
#include "gui/monitor/terminal_window.hpp"
#include "gui/monitor/trend_view.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "monitor/monitor_commands.hpp"
#include "platform/system_port.hpp"
#include "sim/sim_setup.hpp"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace qv::gui {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

MonitorModel::Options modelOptions() {
    // Voltages and temperatures are shown with the system's decimal separator.
    MonitorModel::Options o;
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 0x80) o.decimalSeparator = point[0].toLatin1();
    return o;
}

} // namespace

MonitorWindow::MonitorWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(ctx.clock, modelOptions()),
      reader_(new MonitorReader(this)) {
    setObjectName(QStringLiteral("TShowForm"));
    setWindowTitle(text(kMonitorCaption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildToolBar();
    layout->addWidget(findChild<QToolBar*>(QStringLiteral("ToolBar1")));
    // The values as they always were, and in their place at a click of "Wykresy" the trends
    // (no tab bar: the window keeps its height for small screens).
    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("monitorPages"));
    view_ = new MonitorView(pages_);
    pages_->addWidget(view_);
    trendView_ = new TrendView(pages_);
    pages_->addWidget(trendView_);
    layout->addWidget(pages_);
    // A recording's controls take the status bar's place, so the window keeps its height.
    replayBar_ = new ReplayBar(this);
    replayBar_->hide();
    connect(replayBar_, &ReplayBar::playPauseClicked, this,
            [this] { setReplayPlaying(!replayPlaying_); });
    connect(replayBar_, &ReplayBar::speedChosen, this, &MonitorWindow::setReplaySpeed);
    connect(replayBar_, &ReplayBar::seekRequested, this, &MonitorWindow::seekReplay);
    layout->addWidget(replayBar_);
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_ = bar;
    bar->setSizeGripEnabled(false);
    receivedPanel_ = new QLabel(QStringLiteral("?"), bar);
    receivedPanel_->setObjectName(QStringLiteral("receivedPanel"));
    receivedPanel_->setMinimumWidth(160);
    bar->addWidget(receivedPanel_);
    recordPanel_ = new QLabel(bar);
    recordPanel_->setObjectName(QStringLiteral("recordPanel"));
    bar->addWidget(recordPanel_, 1);
    layout->addWidget(bar);

    terminal_ = new TerminalWindow(this);
    resets_ = new ResetsWindow(this);

    connect(view_->resetsCaption(), &LinkCaption::clicked, this, &MonitorWindow::showResets);
    connect(reader_, &MonitorReader::received, this, &MonitorWindow::receiveBytes);
    connect(reader_, &MonitorReader::dropped, this, [this](qint64 bytes) {
        if (closing_) return;
        model_.noteDropped(bytes);
        dirty_ = true;
        handleEffects();
    });
    connect(reader_, &MonitorReader::note, this, [this](const QString& line) {
        model_.noteLine(line.toStdString());
        dirty_ = true;
    });
    connect(reader_, &MonitorReader::clockSent, this,
            [this] { ctx_.ui.information(this, text(kClockSentMessage)); });
    connect(reader_, &MonitorReader::portFailed, this,
            [this](const QString& reason) { ctx_.ui.error(this, reason); });
    connect(terminal_, &TerminalWindow::sendCommand, reader_, &MonitorReader::sendCommand);
    connect(terminal_, &TerminalWindow::sendSmsBody, reader_, &MonitorReader::sendSmsBody);
    model_.setByteListener(
        [this](std::span<const std::uint8_t> bytes) { terminal_->noteBytes(bytes); });

    setTrendClock(ctx_.clock);
    connect(pages_, &QStackedWidget::currentChanged, this, [this] { refreshView(); });
    replayTimer_.setInterval(kRepaintMs);
    connect(&replayTimer_, &QTimer::timeout, this, [this] { replayTick(kRepaintMs); });

    secondTimer_.setInterval(1000);
    connect(&secondTimer_, &QTimer::timeout, this, &MonitorWindow::tickSecond);
    repaintTimer_.setInterval(kRepaintMs);
    connect(&repaintTimer_, &QTimer::timeout, this, &MonitorWindow::repaintTick);
    refreshView();
}

MonitorWindow::~MonitorWindow() {
    // The reader's thread ends before the window it reports to.
    delete reader_;
}

void MonitorWindow::buildToolBar() {
    auto* bar = new GradientToolBar(QStringLiteral("ToolBar1"), this);
    bar->setIconSize(QSize(24, 24));
    auto add = [bar](const char* name, const QString& caption, MonitorIcon icon) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(monitorIcon(icon));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        bar->addWidget(b);
        return b;
    };
    restartButton_ =
        add("restartButton", QStringLiteral("Restart urządzenia"), MonitorIcon::Restart);
    syncButton_ =
        add("syncTimeButton", QStringLiteral("Synchronizuj czas"), MonitorIcon::SyncClock);
    syncButton_->setEnabled(false);
    bar->addSeparator();
    trendsButton_ = add("trendsButton", QStringLiteral("Wykresy"), MonitorIcon::Trends);
    trendsButton_->setCheckable(true);
    trendsButton_->setToolTip(
        QStringLiteral("Wykresy wartości w czasie zamiast bieżących wartości"));
    recordButton_ = add("recordButton", QStringLiteral("Nagrywaj"), MonitorIcon::Record);
    recordButton_->setCheckable(true);
    csvButton_ = add("csvButton", QStringLiteral("Eksport CSV"), MonitorIcon::ExportCsv);
    replayButton_ = add("replayButton", QStringLiteral("Odtwórz zapis..."), MonitorIcon::Replay);
    closeButton_ = add("closeButton", QStringLiteral("Zamknij"), MonitorIcon::Close);
    connect(trendsButton_, &QToolButton::toggled, this, &MonitorWindow::showTrends);
    connect(recordButton_, &QToolButton::clicked, this, &MonitorWindow::toggleRecording);
    connect(csvButton_, &QToolButton::clicked, this, &MonitorWindow::exportCsv);
    connect(replayButton_, &QToolButton::clicked, this, &MonitorWindow::chooseRecording);
    connect(restartButton_, &QToolButton::clicked, this, &MonitorWindow::restartDevice);
    connect(syncButton_, &QToolButton::clicked, this, &MonitorWindow::synchronizeTime);
    connect(closeButton_, &QToolButton::clicked, this, [this] { done(0); });
}

void MonitorWindow::runMonitor() {
    portName_ = ctx_.portName();
    endReplay();
    feed_->start(); // a new session: the trends begin afresh
    sessionStart_ = trendClock_->now();
    model_.displayReset();
    handleEffects();
    refreshView();
    exec();
}

void MonitorWindow::showTrends(bool on) {
    if (trendsButton_->isChecked() != on) trendsButton_->setChecked(on);
    pages_->setCurrentWidget(on ? static_cast<QWidget*>(trendView_) : view_);
}

void MonitorWindow::setTrendClock(const Clock& clock) {
    trendClock_ = &clock;
    feed_ = std::make_unique<TrendFeed>(model_, trends_, clock);
    feed_->start();
    sessionStart_ = clock.now();
}

void MonitorWindow::runRecording(const QString& path) {
    portName_.clear();
    if (!openRecording(path)) return;
    refreshView();
    exec();
}

void MonitorWindow::setReplay(const QByteArray& bytes, int bytesPerSecond) {
    replayBytes_ = bytes;
    replayRate_ = bytesPerSecond;
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    closing_ = false;
    model_.shown();
    if (replay_) { // a recording plays: no port
        repaintTimer_.start();
        return;
    }
    if (!replayBytes_.isEmpty()) {
        reader_->openReplay(replayBytes_, replayRate_);
    } else if (!reader_->open(portName_, ctx_.reverseReset())) {
        // The window cannot close from within its own showing: it does so a moment later,
        // once what to do is read from the system (/proc) on a thread of the pool.
        const PortFailure failure = reader_->openFailure();
        QTimer::singleShot(1, this, [this, failure] {
            auto* explaining = new QFutureWatcher<std::vector<std::string>>(this);
            connect(explaining, &QFutureWatcher<std::vector<std::string>>::finished, this,
                    [this, explaining] {
                        QString text = QStringLiteral("Błąd otwarcia portu ") + portName_;
                        for (const auto& line : explaining->result())
                            text += QLatin1Char('\n') + QString::fromStdString(line);
                        explaining->deleteLater();
                        ctx_.ui.error(this, text);
                        done(0);
                    });
            explaining->setFuture(QtConcurrent::run([failure] {
                return isSimPortName(failure.port) ? std::vector<std::string>{}
                                                   : explainSystemPortFailure(failure);
            }));
        });
        return;
    }
    secondTimer_.start();
    repaintTimer_.start();
    if (ctx_.doc.serviceMode()) {
        terminal_->placeBeside(this);
        terminal_->show();
        terminal_->refresh(model_);
    }
}

void MonitorWindow::done(int result) {
    if (!closing_) {
        closing_ = true;
        secondTimer_.stop();
        repaintTimer_.stop();
        replayTimer_.stop();
        stopRecording();
        refreshView(); // what the module sent last stays visible behind a message
        if (model_.badPinFlag()) badPinStop();
        reader_->close();
        // A simulated module's clock ends with its port.
        if (trendClock_ != &ctx_.clock) setTrendClock(ctx_.clock);
        terminal_->hide();
    }
    QDialog::done(result);
}

void MonitorWindow::badPinStop() {
    // The module stays held in reset: restarted with the wrong PIN it would only stop again.
    reader_->holdInReset(ctx_.reverseReset());
    ctx_.ui.error(this, text(kBadPinMessage));
}

void MonitorWindow::receiveBytes(const QByteArray& bytes) {
    if (closing_ || replay_) return; // the port is closed; what was on its way is of no use
    if (recorder_) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(ctx_.clock.now() - recordStart_);
        if (!recorder_->write(
                static_cast<std::uint32_t>(std::max<long long>(ms.count(), 0)),
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
            stopRecording();
            ctx_.ui.error(this, QStringLiteral("Błąd zapisu pliku: ") + recordPath_);
        }
    }
    model_.receive(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
    dirty_ = true;
    handleEffects();
}

void MonitorWindow::handleEffects() {
    bool badPin = false;
    bool silence = false;
    for (const auto& e : model_.takeEffects()) {
        switch (e.kind) {
        case MonitorEffectKind::PlayRing:
            ctx_.ui.play(Sound::Ring);
            break;
        case MonitorEffectKind::CloseForBadPin:
            badPin = true;
            break;
        case MonitorEffectKind::ClockSyncEnabled:
            syncButton_->setEnabled(true);
            break;
        case MonitorEffectKind::ClockSyncDisabled:
            syncButton_->setEnabled(false);
            break;
        case MonitorEffectKind::ResetLogged:
            resets_->appendLine(QString::fromStdString(e.text));
            break;
        case MonitorEffectKind::SilenceMessage:
            silence = true;
            break;
        }
    }
    if (silence) {
        refreshView();
        ctx_.ui.error(this, text(kSilenceMessage));
        model_.silenceMessageDismissed();
    }
    if (badPin && isVisible() && !closing_) done(0);
}

void MonitorWindow::tickSecond() {
    if (replay_) return;
    model_.tick();
    dirty_ = true;
    handleEffects();
}

void MonitorWindow::repaintTick() {
    if (dirty_) refreshView();
}

void MonitorWindow::refreshView() {
    dirty_ = false;
    view_->refresh(model());
    // The trends are drawn only while their tab is shown.
    if (pages_->currentWidget() == trendView_) {
        const std::int64_t now = replay_ ? replay_->position()
                                         : std::chrono::duration_cast<std::chrono::milliseconds>(
                                               trendClock_->now() - sessionStart_)
                                               .count();
        trendView_->refresh(trends(), now);
    }
    if (replay_) replayBar_->showPosition(replay_->position(), replay_->duration(), replayPlaying_);
    if (recorder_)
        recordPanel_->setText(QStringLiteral("Nagrywanie: %1 (%2 kB)")
                                  .arg(QFileInfo(recordPath_).fileName())
                                  .arg(recorder_->bytesWritten() / 1024));
    const QString received = QString::fromStdString(model().statusBarText());
    if (receivedPanel_->text() != received) receivedPanel_->setText(received);
    // The terminal's logs grow by hundreds of lines a second on a busy line: they follow at a
    // lower rate, in larger pieces.
    if (terminal_->isVisible() && ++terminalTicks_ >= kTerminalEvery) {
        terminalTicks_ = 0;
        terminal_->refresh(model_);
    }
}

void MonitorWindow::restartDevice() {
    model_.displayReset();
    handleEffects();
    model_.clearReceivedCount();
    refreshView();
    reader_->restart(ctx_.reverseReset());
}

void MonitorWindow::synchronizeTime() {
    // The commands go through the terminal's command line, which keeps the last one.
    const LocalDateTime now = ctx_.clock.localTime();
    const auto commands = clockSyncCommands(now);
    terminal_->command()->setText(QString::fromStdString(commands.front()));
    reader_->synchronizeClock(now);
    terminal_->command()->setText(QString::fromStdString(commands.back()));
}

void MonitorWindow::showResets() {
    resets_->exec();
}

void MonitorWindow::toggleRecording() {
    if (recorder_) {
        stopRecording();
        return;
    }
    const QString path =
        ctx_.ui.saveFileName(this, QStringLiteral("Nagrywaj"), QString(),
                             QStringLiteral("Zapis monitora|*.qvmon"), QStringLiteral("qvmon"));
    if (path.isEmpty() || !startRecording(path)) recordButton_->setChecked(false);
}

bool MonitorWindow::startRecording(const QString& path) {
    if (replay_) return false;
    std::string error;
    const QvmonHeader header{msg::kAppVersion, portName_.toStdString(), ctx_.clock.localTime()};
    recorder_ = QvmonWriter::create(path.toStdString(), header, error);
    if (!recorder_) {
        ctx_.ui.error(this, QString::fromStdString(error));
        return false;
    }
    recordStart_ = ctx_.clock.now();
    recordPath_ = path;
    recordButton_->setChecked(true);
    refreshView();
    return true;
}

void MonitorWindow::stopRecording() {
    if (!recorder_) return;
    recorder_.reset(); // the file is complete after every batch
    recordButton_->setChecked(false);
    recordPanel_->setText(QStringLiteral("Zapisano: %1").arg(QFileInfo(recordPath_).fileName()));
}

void MonitorWindow::exportCsv() {
    const QString path = ctx_.ui.saveFileName(this, QStringLiteral("Eksport CSV"), QString(),
                                              QStringLiteral("CSV|*.csv"), QStringLiteral("csv"));
    if (!path.isEmpty()) exportCsvTo(path);
}

bool MonitorWindow::exportCsvTo(const QString& path) {
    if (const auto error = writeTrendCsv(path.toStdString(), trends())) {
        ctx_.ui.error(this, QStringLiteral("Błąd zapisu pliku: ") + path);
        return false;
    }
    recordPanel_->setText(QStringLiteral("Zapisano: %1 (%2 wierszy)")
                              .arg(QFileInfo(path).fileName())
                              .arg(trends().size()));
    return true;
}

void MonitorWindow::chooseRecording() {
    const QString path = ctx_.ui.openFileName(this, QStringLiteral("Odtwórz zapis"), QString(),
                                              QStringLiteral("Zapis monitora|*.qvmon"));
    if (!path.isEmpty()) openRecording(path);
}

bool MonitorWindow::openRecording(const QString& path) {
    auto file = std::make_unique<std::ifstream>();
    const std::string name = path.toStdString();
    if (const auto p = pathFromUtf8(name); p && isRegularFile(name))
        file->open(*p, std::ios::binary);
    if (!file->is_open()) {
        ctx_.ui.error(this, QStringLiteral("Błąd odczytu pliku: ") + path);
        return false;
    }
    auto replay = std::make_unique<MonitorReplay>(*file, modelOptions());
    if (!replay->valid()) {
        ctx_.ui.error(this, QString::fromStdString(replay->damage()) + QStringLiteral(": ") + path);
        return false;
    }
    // No port while a recording plays.
    stopRecording();
    secondTimer_.stop();
    reader_->close();
    replayFile_ = std::move(file);
    replay_ = std::move(replay);
    replayGeneration_ = -1;
    replayPlaying_ = false;
    replayTimer_.stop();
    restartButton_->setEnabled(false);
    syncButton_->setEnabled(false);
    recordButton_->setEnabled(false);
    setWindowTitle(text(kMonitorCaption) + QStringLiteral(" – zapis ") +
                   QFileInfo(path).fileName());
    replayBar_->setDuration(replay_->duration());
    statusBar_->hide();
    replayBar_->show();
    showFreshModel();
    refreshView();
    if (!replay_->damage().empty()) ctx_.ui.error(this, QString::fromStdString(replay_->damage()));
    if (isVisible()) repaintTimer_.start();
    return true;
}

void MonitorWindow::showFreshModel() {
    if (replay_->generation() == replayGeneration_) return;
    replayGeneration_ = replay_->generation();
    view_->restart();
}

void MonitorWindow::endReplay() {
    if (!replay_) return;
    replayTimer_.stop();
    replay_.reset();
    replayFile_.reset();
    replayBar_->hide();
    statusBar_->show();
    restartButton_->setEnabled(true);
    recordButton_->setEnabled(true);
    setWindowTitle(text(kMonitorCaption));
    view_->restart();
}

void MonitorWindow::setReplayPlaying(bool playing) {
    if (!replay_) return;
    if (playing && replay_->atEnd()) seekReplay(0); // from the start again
    replayPlaying_ = playing;
    if (playing)
        replayTimer_.start();
    else
        replayTimer_.stop();
    refreshView();
}

void MonitorWindow::setReplaySpeed(int speed) {
    replaySpeed_ = speed;
    replayBar_->showSpeed(speed);
}

void MonitorWindow::seekReplay(qint64 ms) {
    if (!replay_) return;
    replay_->seek(ms);
    showFreshModel();
    refreshView();
}

void MonitorWindow::replayTick(qint64 elapsedMs) {
    if (!replay_) return;
    replay_->seek(replay_->position() + elapsedMs * replaySpeed_);
    showFreshModel();
    if (replay_->atEnd()) {
        replayPlaying_ = false;
        replayTimer_.stop();
    }
    dirty_ = true;
}

} // namespace qv::gui
