#include "gui/main_window/main_window.hpp"

#include "archive/archive_text.hpp"
#include "config/messages.hpp"
#include "gui/app/app_context.hpp"
#include "gui/app/app_log_window.hpp"
#include "gui/app/appearance.hpp"
#include "gui/archive/archive_access.hpp"
#include "gui/archive/archive_window.hpp"
#include "gui/archive/write_review.hpp"
#include "gui/device_windows/compare_window.hpp"
#include "gui/device_windows/counters_window.hpp"
#include "gui/device_windows/firmware_window.hpp"
#include "gui/device_windows/history_window.hpp"
#include "gui/device_windows/phone_base_window.hpp"
#include "gui/link/link_window.hpp"
#include "gui/link/port_at_start.hpp"
#include "gui/link/settings_window.hpp"
#include "gui/main_window/add_phones_form.hpp"
#include "gui/main_window/main_status_bar.hpp"
#include "gui/main_window/memo_form.hpp"
#include "gui/main_window/password_form.hpp"
#include "gui/main_window/report_commands.hpp"
#include "gui/main_window/sms_description_form.hpp"
#include "gui/main_window/undo_history.hpp"
#include "gui/monitor/monitor_window.hpp"
#include "gui/sms/sms_window.hpp"
#include "gui/tabs/tab_addons.hpp"
#include "gui/tabs/tab_baza.hpp"
#include "gui/tabs/tab_centralka.hpp"
#include "gui/tabs/tab_gprs.hpp"
#include "gui/tabs/tab_opisy.hpp"
#include "gui/tabs/tab_parametry.hpp"
#include "gui/tabs/tab_prywatne.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/toolbar_icons.hpp"
#include "link/port_names.hpp"
#include "sim/sim_setup.hpp"
#include "tools/sms_listing.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qv::gui {

namespace {
// A chosen file as the document keeps and shows it: absolute, with the system's separators
// (Qt's dialogs answer "C:/..." on Windows, where the caption should read "C:\...").
std::string nativePath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
}
// Keys of the device commands: Ctrl + the first letter of "Odczytaj" would be Ctrl+O (open), so
// reading takes R; programming Shift+P, since Ctrl+P is where users expect printing and a
// write to the module must not happen by that habit; the monitor M.
constexpr QKeyCombination kReadKeys = Qt::CTRL | Qt::Key_R;
constexpr QKeyCombination kWriteKeys = Qt::CTRL | Qt::SHIFT | Qt::Key_P;
constexpr QKeyCombination kMonitorKeys = Qt::CTRL | Qt::Key_M;
// How long the status bar tells which port the window took at the start.
constexpr int kPortNoticeMs = 30000;
constexpr QKeyCombination kArchiveKeys = Qt::CTRL | Qt::SHIFT | Qt::Key_A;
} // namespace

MainWindow::MainWindow(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("QVProg"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    buildToolBar();
    buildPages();
    statusBar_ = new MainStatusBar(ctx_, this);
    connect(statusBar_, &MainStatusBar::logRequested, this, &MainWindow::showLogWindow);
    setStatusBar(statusBar_);
    // "Cofnij" and "Ponów" beside "Log": the tool bar is full at the window's width.
    undo_ = new UndoHistory(ctx_, this, [this] {
        refreshAll();
        renewCaption();
    });
    undo_->makeButtons(statusBar_);
    statusBar_->addWidget(undo_->undoButton());
    statusBar_->addWidget(undo_->redoButton());
    connect(&ctx_, &AppContext::settingsEdited, undo_, [this] { undo_->record(); });
    setFixedSize(kWidth, kStartHeight);

    // The other windows, created once in this order and reused for the whole run.
    phoneBase_ = new PhoneBaseWindow(ctx_, this);
    settingsWindow_ = new SettingsWindow(ctx_, this);
    link_ = new LinkWindow(ctx_, this);
    ctx_.link = link_;
    monitor_ = new MonitorWindow(ctx_, this);
    history_ = new HistoryWindow(ctx_, this);
    password_ = new PasswordForm(this);
    ctx_.password = password_;
    firmware_ = new FirmwareWindow(ctx_, this);
    memo_ = new MemoForm(ctx_, this);
    connect(memo_, &MemoForm::sendRequested, this, &MainWindow::smsSendClick, Qt::QueuedConnection);
    smsDescription_ = new SmsDescriptionForm(ctx_, this);
    addPhones_ = new AddPhonesForm(ctx_, this);
    counters_ = new CountersWindow(ctx_, this);

    connect(&ctx_, &AppContext::settingsReplaced, this, &MainWindow::refreshAll);
    // The password dialog is the one that replaces settings outside the views.
    connect(&ctx_, &AppContext::settingsReplaced, undo_,
            [this] { undo_->record(QStringLiteral("Hasło")); });
}

MainWindow::~MainWindow() {
    ctx_.link = nullptr;
    ctx_.password = nullptr;
}

QToolButton* MainWindow::addToolButton(const char* name, const QString& caption,
                                       const QString& hint, QIcon icon,
                                       void (MainWindow::*command)(), const QKeySequence& keys) {
    auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(hint);
    if (!keys.isEmpty()) {
        // The hint names the keys: "Zapisz konfigurację na dysk (Ctrl+S)".
        b->setShortcut(keys);
        commandKeys_.emplace_back(b, keys);
        const QString shown = keys.toString(QKeySequence::NativeText);
        b->setToolTip(hint.isEmpty() ? shown : hint + QStringLiteral(" (") + shown + u')');
    }
    b->setIcon(icon);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->addWidget(b);
    connect(b, &QToolButton::clicked, this, command);
    return b;
}

void MainWindow::buildToolBar() {
    auto* bar = new GradientToolBar(QStringLiteral("ToolBar1"), this);
    bar->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, bar);
    using I = ToolIcon;
    // The captions of the language table carry no mnemonics: the commands have keys of their
    // own, named in their hints.
    addToolButton("newConfig", QStringLiteral("&Nowy"), QStringLiteral("Nowa konfiguracja"),
                  toolIcon(I::New), &MainWindow::newConfigClick, QKeySequence::New);
    addToolButton("openFileButton", QStringLiteral("&Otwórz"),
                  QStringLiteral("Wczytaj konfigurację z dysku"), toolIcon(I::Open),
                  &MainWindow::openFileButtonClick, QKeySequence::Open);
    addToolButton("saveFileButton", QStringLiteral("&Zapisz"),
                  QStringLiteral("Zapisz konfigurację na dysk"), toolIcon(I::Save),
                  &MainWindow::saveFileButtonClick, QKeySequence::Save);
    bar->addSeparator();
    addToolButton("settingsButton", QStringLiteral("&Ustawien"),
                  QStringLiteral("Ustawienia programu (port komunikacyjny)"), toolIcon(I::Settings),
                  &MainWindow::settingsButtonClick);
    bar->addSeparator();
    addToolButton("ReadButton", QStringLiteral("O&dczytaj"),
                  QStringLiteral("Odczyt konfiguracji z urządzenia"), toolIcon(I::Read),
                  &MainWindow::readButtonClick, kReadKeys);
    addToolButton("writeButton", QStringLiteral("&Programuj"),
                  QStringLiteral("Zapis konfiguracji do urządzenia"), toolIcon(I::Write),
                  &MainWindow::writeButtonClick, kWriteKeys);
    addToolButton("clearPassButton", QStringLiteral("Usuń hasło"),
                  QStringLiteral("Usuwanie hasła i konfiguracji urządzenia"),
                  toolIcon(I::ClearPassword), &MainWindow::clearPassButtonClick);
    addToolButton("ToolButton2", QStringLiteral("Firmware"), QString(), toolIcon(I::Firmware),
                  &MainWindow::firmwareButtonClick);
    bar->addSeparator();
    addToolButton("monitorButton", QStringLiteral("Monitor"),
                  QStringLiteral("Podgląd pracy urządzenia"), toolIcon(I::Monitor),
                  &MainWindow::monitorButtonClick, kMonitorKeys);
    addToolButton("historyButton", QStringLiteral("&Historia"),
                  QStringLiteral("Sciągnij z urządzenia historię zdarzeń"), toolIcon(I::History),
                  &MainWindow::historyButtonClick);
    addToolButton("ToolButton12", QStringLiteral("CFG->SMS"),
                  QStringLiteral("Generowanie SMSów konfiguracyjnych dla urządzenia"),
                  toolIcon(I::Sms), &MainWindow::smsListingClick);
    bar->addSeparator();
    // Offered to the user, so an English-speaking technician can switch the captions.
    addToolButton("langButton", QStringLiteral("Język"), QString(), toolIcon(I::Language),
                  &MainWindow::langButtonClick);
}

void MainWindow::buildPages() {
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl"));
    pages_->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 4px 6px; margin-right: 1px; border: 1px solid #a8a8a8;"
        " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
        " background: #e4e4e4; }"
        "QTabBar::tab:selected { background: #fbfbfb; }"));
    const std::vector<std::pair<SettingsView*, QString>> tabs = {
        {new TabBaza(ctx_, pages_), QStringLiteral("WEJŚCIA + SMS/CLIP (BAZA)")},
        {new TabPrywatne(ctx_, pages_), QStringLiteral("SMS/CLIP (PRYWATNE)")},
        {new TabParametry(ctx_, pages_), QStringLiteral("PARAMETRY")},
        {new TabGPRS(ctx_, pages_), QStringLiteral("GPRS/DTMF")},
        {new TabCentralka(ctx_, pages_), QStringLiteral("CENTRALKA/WYJŚCIA")},
        {new TabOpisy(ctx_, pages_), QStringLiteral("OPISY")},
        {new TabAddOns(ctx_, pages_), QStringLiteral("Dodatki")},
    };
    for (const auto& [view, caption] : tabs) {
        pages_->addTab(view, caption);
        views_.push_back(view);
        connect(view, &SettingsView::edited, this, [this, view = view] {
            for (SettingsView* other : views_)
                if (other != view) other->refresh();
            Q_EMIT ctx_.settingsEdited();
        });
    }
    // The service page, shown only with the marker file beside the program: the log.
    auto* service = new QWidget(pages_);
    service->setObjectName(QStringLiteral("TabSerwis"));
    auto* layout = new QVBoxLayout(service);
    layout->addWidget(new AppLogView(ctx_, service));
    pages_->addTab(service, QStringLiteral("Serwis"));
    // Hidden, and disabled so that Ctrl+Tab and the arrows pass it by.
    pages_->setTabVisible(pages_->indexOf(service), false);
    pages_->setTabEnabled(pages_->indexOf(service), false);

    setCentralWidget(pages_);
    connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::tabShown);

    connectTabButton("Button4", &MainWindow::addPhonesButtonClick);
    connectTabButton("Button3", &MainWindow::smsDescriptionButtonClick);
    connectTabButton("Button5", &MainWindow::countersButtonClick);
    connectTabButton("Button8", &MainWindow::phoneBaseButtonClick);
    connectTabButton("compareFileButton", &MainWindow::compareWithFileClick);
    connectTabButton("compareModuleButton", &MainWindow::compareWithModuleClick);
    connectTabButton("reportPdfButton", &MainWindow::reportPdfClick);
    connectTabButton("reportHtmlButton", &MainWindow::reportHtmlClick);
    connectTabButton("reportPrintButton", &MainWindow::reportPrintClick);
    connectTabButton("monitorReplayButton", &MainWindow::monitorReplayClick);
    connectTabButton("smsSendButton", &MainWindow::smsSendClick);
    // Ctrl+P prints the report: the key users expect to print never writes to the module.
    auto* print = new QShortcut(QKeySequence::Print, this);
    print->setObjectName(QStringLiteral("reportPrintShortcut"));
    connect(print, &QShortcut::activated, this, &MainWindow::reportPrintClick);
    connectTabButton("archiveButton", &MainWindow::archiveButtonClick);
    auto* archive = new QShortcut(QKeySequence(kArchiveKeys), this);
    archive->setObjectName(QStringLiteral("archiveShortcut"));
    connect(archive, &QShortcut::activated, this, &MainWindow::archiveButtonClick);
}

void MainWindow::reportPdfClick() {
    saveReport(ctx_, this, ReportFormat::Pdf);
}

void MainWindow::reportHtmlClick() {
    saveReport(ctx_, this, ReportFormat::Html);
}

void MainWindow::reportPrintClick() {
    printReport(ctx_, this);
}

void MainWindow::connectTabButton(const char* name, void (MainWindow::*command)()) {
    if (auto* b = pages_->findChild<QAbstractButton*>(QString::fromLatin1(name)))
        connect(b, &QAbstractButton::clicked, this, command);
}

void MainWindow::startUp() {
    applyLanguage();
    ctx_.doc.startUp(kDefaultPortName);
    if (ctx_.doc.serviceMode()) {
        const int service = pages_->indexOf(pages_->findChild<QWidget*>("TabSerwis"));
        pages_->setTabEnabled(service, true);
        pages_->setTabVisible(service, true);
    }
    pages_->setCurrentIndex(0);
    tabShown(0);
    refreshAll();
    renewCaption();
    undo_->reset();
    // The keyboard starts on the page tabs: the arrows choose a page, Tab walks into it, and
    // the tool bar's commands have keys of their own.
    pages_->tabBar()->setFocus(Qt::OtherFocusReason);
}

PortAtStart* MainWindow::choosePortAtStart() {
    auto* start = new PortAtStart(ctx_, this);
    connect(start, &PortAtStart::notice, this,
            [this](const QString& text) { statusBar_->showMessage(text, kPortNoticeMs); });
    connect(start, &PortAtStart::finished, start, &QObject::deleteLater);
    start->start();
    return start;
}

void MainWindow::tabShown(int index) {
    if (index < 0 || index >= int(std::size(kTabHeights))) return;
    fitWindow();
}

void MainWindow::fitWindow() {
    const int index = pages_->currentIndex();
    if (index < 0 || index >= int(std::size(kTabHeights))) return;
    // The width and the tab's height the window was drawn with, or more where the fonts, the
    // scale or the language need more room: the window grows, it never clips or overflows.
    QWidget* page = pages_->currentWidget();
    const auto* stack = qobject_cast<const QWidget*>(page->parentWidget());
    const QSize whole = minimumSizeHint();
    const int others = whole.height() - (stack ? stack->minimumSizeHint().height() : 0);
    const int pageHeight = page->minimumSizeHint().expandedTo(page->minimumSize()).height();
    const auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    // The tabs' own margins beside the tab bar.
    const int tabMargins = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    const int w = std::max({kWidth, whole.width(), bar ? bar->sizeHint().width() : 0,
                            statusBar()->sizeHint().width(),
                            pages_->tabBar()->sizeHint().width() + tabMargins});
    const int h =
        std::max(kTabHeights[index] > 0 ? kTabHeights[index] : height(), others + pageHeight);
    if (size() != QSize(w, h)) setFixedSize(w, h);
}

void MainWindow::renewCaption() {
    setWindowTitle(QString::fromStdString(ctx_.doc.caption()));
}

void MainWindow::refreshAll() {
    for (SettingsView* v : views_)
        v->refresh();
}

void MainWindow::applyLanguage() {
    const LanguageTable& table = ctx_.language;
    for (const auto& target : LanguageTable::targets()) {
        const QString text = QString::fromStdString(table.text(target.slot, table.language()));
        for (const auto& name : target.objectNames) {
            const QString n = QString::fromStdString(name);
            if (auto* b = findChild<QToolButton*>(n)) b->setText(text);
            if (auto* l = findChild<QLabel*>(n)) l->setText(text);
            if (QWidget* page = findChild<QWidget*>(n); page && pages_->indexOf(page) >= 0)
                pages_->setTabText(pages_->indexOf(page), text);
        }
    }
    if (auto* b = findChild<QToolButton*>(QStringLiteral("langButton")))
        b->setText(QString::fromStdString(table.otherLanguageName()));
    // A new caption takes the button's keys away (it sets its mnemonic): they come back.
    for (const auto& [button, keys] : commandKeys_)
        button->setShortcut(keys);
    fitWindow();
}

void MainWindow::langButtonClick() {
    // The switch changes the captions only: Qt's own dialogs and buttons stay Polish.
    ctx_.language.toggle();
    applyLanguage();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program; a changed configuration is asked about first,
    // as "Nowy" and "Otwórz" ask, and so are phone base entries kept neither in the module nor
    // in a file. A batch of SMS being sent is stopped first (its window asks), so it is left
    // resumable.
    if (sms_ && sms_->sending()) {
        sms_->show();
        sms_->raise();
        sms_->close();
        event->ignore();
        return;
    }
    if (ctx_.doc.isModified() &&
        !ctx_.ui.question(this, QString::fromUtf8(msg::kAskDiscardOnNew))) {
        event->ignore();
        return;
    }
    if (phoneBase_->hasUnsavedEntries() &&
        !ctx_.ui.question(this, QString::fromUtf8(kAskDiscardPhoneBase.data(),
                                                  qsizetype(kAskDiscardPhoneBase.size())))) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

// ---- configuration commands ----

void MainWindow::newConfigClick() {
    if (ctx_.doc.isModified() && !ctx_.ui.question(this, QString::fromUtf8(msg::kAskDiscardOnNew)))
        return;
    pages_->setCurrentIndex(0);
    const DocumentState before = ctx_.doc.state();
    ctx_.doc.newConfig();
    refreshAll();
    undo_->recordCommand(QStringLiteral("Nowy"), before);
    renewCaption();
}

void MainWindow::openFileButtonClick() {
    if (ctx_.doc.isModified() && !ctx_.ui.question(this, QString::fromUtf8(msg::kAskDiscardOnOpen)))
        return;
    const QString path =
        ctx_.ui.openFileName(this, QString(), QString::fromStdString(ctx_.doc.configDir()),
                             QString::fromUtf8(msg::kFileFilter));
    if (path.isEmpty()) return;
    openPath(path);
}

void MainWindow::openPath(const QString& path) {
    const DocumentState before = ctx_.doc.state();
    const OpenResult result = ctx_.doc.openFile(nativePath(path));
    refreshAll();
    undo_->recordCommand(QStringLiteral("Otwórz ") + QFileInfo(path).fileName(), before);
    renewCaption();
    ctx_.ui.showAll(this, result.messages);
    if (result.eventBuffer) history_->showFileBuffer(*result.eventBuffer);
}

void MainWindow::saveFileButtonClick() {
    const QString path =
        ctx_.ui.saveFileName(this, QString(), QString::fromStdString(ctx_.doc.configDir()),
                             QString::fromUtf8(msg::kFileFilter), QStringLiteral("qvx"));
    if (path.isEmpty()) return;
    if (QFileInfo::exists(path) && !ctx_.ui.question(this, QString::fromUtf8(msg::kAskOverwrite))) {
        ctx_.ui.error(this, QString::fromUtf8(msg::kSaveCancelled));
        return;
    }
    const SaveResult result = ctx_.doc.saveFile(nativePath(path));
    renewCaption();
    ctx_.ui.showAll(this, result.messages);
}

void MainWindow::smsListingClick() {
    ctx_.doc.form2tab();
    memo_->clearLines();
    memo_->setCaption(QString::fromUtf8(kSmsListingCaption.data(), int(kSmsListingCaption.size())));
    for (const auto& line : smsListing(ctx_.doc.image()))
        memo_->addLine(QString::fromStdString(line));
    memo_->exec();
}

void MainWindow::smsSendClick() {
    if (!sms_) {
        sms_ = new SmsWindow(ctx_, this);
        // The module read last is the likely one.
        const std::string& serial = link_->results().identity.serialNumber;
        if (!serial.empty())
            sms_->setBase(SmsWindow::BaseKind::archive, QString::fromStdString(serial));
    }
    sms_->show();
    sms_->raise();
    sms_->activateWindow();
}

std::unique_ptr<ConfigDocument> MainWindow::scratchDocument() const {
    // The other configuration lives in a document of its own, so the window's settings, image
    // and stored copy stay as they are whatever the file or the module holds.
    auto doc = std::make_unique<ConfigDocument>(ctx_.clock, ctx_.doc.exeDir());
    doc->setSettingsDir(ctx_.doc.settingsDir());
    doc->startUp(kDefaultPortName);
    return doc;
}

void MainWindow::showComparison(const ConfigDocument& other, const QString& heading,
                                const QString& source) {
    if (!compare_) compare_ = new CompareWindow(this);
    const auto mine = ctx_.doc.convertedCopy();
    compare_->showComparison(
        compareConfigurations(mine.settings, mine.image, other.settings(), other.image()),
        mine.image, other.image(), heading, source);
}

void MainWindow::compareWithFileClick() {
    const QString path =
        ctx_.ui.openFileName(this, QString(), QString::fromStdString(ctx_.doc.configDir()),
                             QString::fromUtf8(msg::kFileFilter));
    if (path.isEmpty()) return;
    const auto other = scratchDocument();
    const OpenResult result = other->openFile(nativePath(path));
    std::vector<UserMessage> problems;
    for (const auto& m : result.messages)
        if (m.icon != UserMessage::Icon::Information) problems.push_back(m);
    ctx_.ui.showAll(this, problems);
    if (!result.opened) return;
    showComparison(*other, QStringLiteral("W pliku"), QDir::toNativeSeparators(path));
}

void MainWindow::compareWithModuleClick() {
    const std::string password = ctx_.confirmPassword(this);
    link_->inputs().archive = archiveRequest();
    const int result = link_->runSession(LinkMode::readConfig, password, kConfigLength);
    link_->inputs().archive.reset();
    if (result <= 0) return;
    const auto& image = link_->results().configImage;
    if (!image) return;
    const auto other = scratchDocument();
    ctx_.ui.showAll(this, other->takeReadImage(*image));
    showComparison(*other, QStringLiteral("W urządzeniu"),
                   QStringLiteral("urządzenie na porcie ") + shownPortName(ctx_.portName()));
}

void MainWindow::addPhonesButtonClick() {
    addPhones_->editPhones();
    refreshAll();
    undo_->record(QStringLiteral("Dodatkowe telefony"));
}

void MainWindow::smsDescriptionButtonClick() {
    smsDescription_->exec();
}

void MainWindow::showLogWindow() {
    if (!logWindow_) logWindow_ = new AppLogWindow(ctx_, this);
    logWindow_->show();
    logWindow_->raise();
}

// ---- device commands ----

void MainWindow::settingsButtonClick() {
    settingsWindow_->editSettings();
    statusBar_->tick();
}

void MainWindow::readButtonClick() {
    const std::string password = ctx_.confirmPassword(this);
    link_->inputs().archive = archiveRequest();
    const int result = link_->runSession(LinkMode::readConfig, password, kConfigLength);
    link_->inputs().archive.reset();
    if (result <= 0) return;
    const auto& image = link_->results().configImage;
    if (!image) return;
    const DocumentState before = ctx_.doc.state();
    const auto messages = ctx_.doc.takeReadImage(*image);
    refreshAll();
    undo_->recordCommand(QStringLiteral("Odczyt z urządzenia"), before);
    ctx_.ui.showAll(this, messages);
}

void MainWindow::writeButtonClick() {
    const std::string password = ctx_.confirmPassword(this);
    ctx_.doc.form2tab();
    std::string expectedSerial;
    if (!reviewWrite(expectedSerial)) return;
    link_->inputs().image = ctx_.doc.image();
    link_->inputs().archive = archiveRequest();
    // Only the module whose configuration the review showed takes this one.
    link_->request().expectedSerial = expectedSerial;
    const int result = link_->runSession(LinkMode::writeConfig, password, kConfigLength);
    link_->inputs().image.reset();
    link_->inputs().archive.reset();
    link_->request().expectedSerial.clear();
    if (result == 1) monitorButtonClick();
}

ArchiveRequest MainWindow::archiveRequest() const {
    ArchiveRequest r;
    r.path = archivePath();
    r.userName = archiveUserName();
    const QString file = QString::fromStdString(ctx_.doc.configDir() + ctx_.doc.configFileName());
    if (ctx_.doc.origin().empty() && QFileInfo(file).isFile())
        r.fileName = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()).toStdString();
    return r;
}

bool MainWindow::reviewWrite(std::string& expectedSerial) {
    expectedSerial.clear();
    // A short wait: the user is waiting for the review, and without it the write goes on as
    // it always did.
    ArchiveHandle h = openArchive(1000);
    if (!h.archive) {
        if (!h.problem.empty()) ctx_.doc.log().add(h.problem);
        return true;
    }
    const auto latest = h.archive->latestEntryOnPort(ctx_.portName().toStdString());
    if (!latest.ok()) {
        ctx_.doc.log().add(archiveReadMessage(latest.problem));
        return true;
    }
    if (!latest.value) return true;
    const ArchiveEntry& entry = *latest.value;
    const auto module = scratchDocument();
    module->takeReadImage(entry.image);
    Comparison c = compareConfigurations(ctx_.doc.settings(), ctx_.doc.image(), module->settings(),
                                         module->image());
    hideSecretValues(c.settings);
    if (!review_) review_ = new WriteReviewDialog(this);
    if (!review_->review(c, ctx_.doc.image(), module->image(), entry.summary,
                         shownPortName(ctx_.portName())))
        return false;
    expectedSerial = entry.summary.serialNumber;
    return true;
}

void MainWindow::archiveButtonClick() {
    if (!archive_) {
        archive_ = new ArchiveWindow(ctx_, this);
        connect(archive_, &ArchiveWindow::openRequested, this, &MainWindow::openArchiveEntry);
    }
    archive_->showArchive();
}

void MainWindow::openArchiveEntry(const ArchiveEntry& entry) {
    if (ctx_.doc.isModified() && !ctx_.ui.question(this, QString::fromUtf8(msg::kAskDiscardOnOpen)))
        return;
    const ArchiveEntrySummary& e = entry.summary;
    const std::string origin = "Archiwum: moduł " + e.serialNumber + ", wpis " +
                               std::to_string(e.id) + " z " + e.time + " (" + operationText(e) +
                               ")";
    const DocumentState before = ctx_.doc.state();
    const auto messages = ctx_.doc.takeStoredImage(entry.image, origin);
    refreshAll();
    undo_->recordCommand(QStringLiteral("Archiwum: wpis ") + QString::number(e.id), before);
    renewCaption();
    ctx_.ui.showAll(this, messages);
}

void MainWindow::clearPassButtonClick() {
    if (!ctx_.ui.question(this, QStringLiteral("Ta opcja skasuje także konfigurację oraz bufor "
                                               "zdarzeń urządzenia - czy kontynuować ?")))
        return;
    link_->request().mode = LinkMode::erasePassword;
    link_->runSession();
}

void MainWindow::firmwareButtonClick() {
    firmware_->exec();
}

void MainWindow::monitorReplayClick() {
    const QString path = ctx_.ui.openFileName(this, QStringLiteral("Odtwórz zapis monitora"),
                                              QString(), QStringLiteral("Zapis monitora|*.qvmon"));
    if (!path.isEmpty()) monitor_->runRecording(path);
}

void MainWindow::monitorButtonClick() {
    monitor_->runMonitor();
}

void MainWindow::historyButtonClick() {
    history_->exec();
}

void MainWindow::countersButtonClick() {
    const std::string password = ctx_.confirmPassword(this);
    if (link_->runSession(LinkMode::readCounters, password, kConfigLength) <= 0) return;
    if (const auto& values = link_->results().counters) counters_->editCounters(*values);
}

void MainWindow::phoneBaseButtonClick() {
    phoneBase_->exec();
}

} // namespace qv::gui
