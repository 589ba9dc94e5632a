#include "gui/monitor_window.hpp"

#include "gui/app_context.hpp"
#include "gui/gradient_toolbar.hpp"
#include "gui/monitor_indicators.hpp"
#include "gui/monitor_reader.hpp"
#include "gui/monitor_view.hpp"
#include "gui/resets_window.hpp"
#include "gui/terminal_window.hpp"
#include "monitor/monitor_commands.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

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
    view_ = new MonitorView(this);
    layout->addWidget(view_);
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    receivedPanel_ = new QLabel(QStringLiteral("?"), bar);
    receivedPanel_->setObjectName(QStringLiteral("receivedPanel"));
    receivedPanel_->setMinimumWidth(160);
    bar->addWidget(receivedPanel_);
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
    closeButton_ = add("closeButton", QStringLiteral("Zamknij"), MonitorIcon::Close);
    connect(restartButton_, &QToolButton::clicked, this, &MonitorWindow::restartDevice);
    connect(syncButton_, &QToolButton::clicked, this, &MonitorWindow::synchronizeTime);
    connect(closeButton_, &QToolButton::clicked, this, [this] { done(0); });
}

void MonitorWindow::runMonitor() {
    portName_ = ctx_.portName();
    model_.displayReset();
    handleEffects();
    refreshView();
    exec();
}

void MonitorWindow::setReplay(const QByteArray& bytes, int bytesPerSecond) {
    replay_ = bytes;
    replayRate_ = bytesPerSecond;
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    closing_ = false;
    model_.shown();
    if (!replay_.isEmpty()) {
        reader_->openReplay(replay_, replayRate_);
    } else if (!reader_->open(portName_, ctx_.reverseReset())) {
        // The window cannot close from within its own showing: it does so a moment later.
        QTimer::singleShot(1, this, [this] {
            ctx_.ui.error(this, QStringLiteral("Błąd otwarcia portu ") + portName_);
            done(0);
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
        refreshView(); // what the module sent last stays visible behind a message
        if (model_.badPinFlag()) badPinStop();
        reader_->close();
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
    if (closing_) return; // the port is closed; what was still on its way is of no use
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
    model_.tick();
    dirty_ = true;
    handleEffects();
}

void MonitorWindow::repaintTick() {
    if (dirty_) refreshView();
}

void MonitorWindow::refreshView() {
    dirty_ = false;
    view_->refresh(model_);
    const QString received = QString::fromStdString(model_.statusBarText());
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

} // namespace qv::gui
