#include "gui/sms/sms_window.hpp"

#include "archive/archive_text.hpp"
#include "gui/app/app_context.hpp"
#include "gui/sms/sms_worker.hpp"
#include "link/port_names.hpp"
#include "platform/system_port.hpp"
#include "sms/sms_pdu.hpp"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qv::gui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QString countText(std::size_t n) {
    if (n == 0) return QStringLiteral("Brak zmian do wysłania");
    return QStringLiteral("%1 %2 SMS do wysłania")
        .arg(n)
        .arg(n == 1 ? QStringLiteral("wiadomość") : QStringLiteral("wiadomości"));
}

bool isUnknown(const SmsMessageRecord& m) {
    return m.state == SmsMessageState::unknown;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& accessible) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(accessible);
    return b;
}

QTableWidget* table(QWidget* parent, const char* name, const QString& accessible,
                    const QStringList& headers) {
    auto* t = new QTableWidget(0, int(headers.size()), parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setAccessibleName(accessible);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setTabKeyNavigation(false);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

std::string userName() {
    return qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")).toStdString();
}

} // namespace

std::string userArchivePath() {
    auto env = [](const char* name) { return qEnvironmentVariable(name).toStdString(); };
    return archiveFilePath(
        {env(kArchiveEnvironment), env("XDG_DATA_HOME"), env("HOME"), env("APPDATA")});
}

SmsWindow::SmsWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), archivePath_(userArchivePath()) {
    qRegisterMetaType<SmsBatch>();
    qRegisterMetaType<SmsReply>();
    setObjectName(QStringLiteral("smsWindow"));
    setWindowTitle(QStringLiteral("Wyślij SMS konfiguracyjne"));
    // Room for the table and the log, within a small laptop's screen.
    const QRect room = screen()->availableGeometry();
    resize(std::min(980, room.width() - 40), std::min(700, room.height() - 40));

    auto* v = new QVBoxLayout(this);
    auto* form = new QGridLayout;
    v->addLayout(form);
    auto* numberLabel = new QLabel(QStringLiteral("&Numer modułu:"), this);
    numberEdit_ = new QLineEdit(this);
    numberEdit_->setObjectName(QStringLiteral("smsNumberEdit"));
    numberEdit_->setAccessibleName(QStringLiteral("Numer telefonu modułu"));
    numberEdit_->setPlaceholderText(QStringLiteral("+48600100200"));
    numberLabel->setBuddy(numberEdit_);
    form->addWidget(numberLabel, 0, 0);
    form->addWidget(numberEdit_, 0, 1, 1, 2);

    auto* baseLabel = new QLabel(QStringLiteral("&Moduł ma teraz:"), this);
    baseKind_ = new QComboBox(this);
    baseKind_->setObjectName(QStringLiteral("smsBaseKindCombo"));
    baseKind_->setAccessibleName(QStringLiteral("Co moduł ma teraz"));
    baseKind_->addItems({QStringLiteral("Ostatni wpis modułu w archiwum"),
                         QStringLiteral("Plik .qvx / .bCFG"), QStringLiteral("Cała konfiguracja")});
    baseLabel->setBuddy(baseKind_);
    baseEdit_ = new QLineEdit(this);
    baseEdit_->setObjectName(QStringLiteral("smsBaseEdit"));
    baseEdit_->setAccessibleName(QStringLiteral("Numer seryjny, obiekt albo plik podstawy"));
    baseEdit_->setPlaceholderText(QStringLiteral("numer seryjny, nazwa lub numer obiektu"));
    browse_ = button(this, "smsBaseBrowseButton", QStringLiteral("Pli&k..."),
                     QStringLiteral("Wybierz plik konfiguracji, którą moduł ma teraz"));
    auto* prepareButton = button(this, "smsPrepareButton", QStringLiteral("&Przygotuj"),
                                 QStringLiteral("Przygotuj polecenia zmiany"));
    form->addWidget(baseLabel, 1, 0);
    form->addWidget(baseKind_, 1, 1);
    form->addWidget(baseEdit_, 1, 2);
    form->addWidget(browse_, 1, 3);
    form->addWidget(prepareButton, 1, 4);
    baseInfo_ = new QLabel(this);
    baseInfo_->setObjectName(QStringLiteral("smsBaseInfoLabel"));
    baseInfo_->setWordWrap(true);
    form->addWidget(baseInfo_, 2, 1, 1, 4);
    form->setColumnStretch(2, 1);

    auto* unfinishedRow = new QHBoxLayout;
    unfinishedLabel_ = new QLabel(this);
    unfinishedLabel_->setObjectName(QStringLiteral("smsUnfinishedLabel"));
    unfinishedLabel_->setWordWrap(true);
    continue_ = button(this, "smsContinueButton", QStringLiteral("Dokończ &tamtą wysyłkę"),
                       QStringLiteral("Dokończ niedokończoną wysyłkę"));
    unfinishedRow->addWidget(unfinishedLabel_, 1);
    unfinishedRow->addWidget(continue_);
    v->addLayout(unfinishedRow);

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("smsCountLabel"));
    v->addWidget(count_);
    messages_ = table(this, "smsMessagesTable", QStringLiteral("Wiadomości konfiguracyjne"),
                      {QStringLiteral("Nr"), QStringLiteral("Ustawienia"),
                       QStringLiteral("Polecenie"), QStringLiteral("Stan")});
    v->addWidget(messages_, 3);

    auto* modemRow = new QHBoxLayout;
    auto* portLabel = new QLabel(QStringLiteral("Port m&odemu:"), this);
    port_ = new QComboBox(this);
    port_->setObjectName(QStringLiteral("smsPortCombo"));
    port_->setAccessibleName(QStringLiteral("Port modemu GSM"));
    port_->setEditable(true);
    port_->setMinimumContentsLength(24);
    for (const auto& name : listSystemPortNames())
        port_->addItem(q(name));
    port_->addItem(QStringLiteral("sim-modem"));
    portLabel->setBuddy(port_);
    modemState_ = new QLabel(QStringLiteral("Modem: nie sprawdzony"), this);
    modemState_->setObjectName(QStringLiteral("smsModemStateLabel"));
    modemRow->addWidget(portLabel);
    modemRow->addWidget(port_);
    modemRow->addWidget(modemState_, 1);
    v->addLayout(modemRow);

    auto* buttons = new QHBoxLayout;
    sendButton_ = button(this, "smsSendButton", QStringLiteral("&Wyślij"),
                         QStringLiteral("Wyślij wiadomości"));
    pauseButton_ = button(this, "smsPauseButton", QStringLiteral("W&strzymaj"),
                          QStringLiteral("Wstrzymaj wysyłkę"));
    resumeButton_ =
        button(this, "smsResumeButton", QStringLiteral("Wzn&ów"), QStringLiteral("Wznów wysyłkę"));
    sentButton_ = button(this, "smsUnknownSentButton", QStringLiteral("&Uznaj za wysłane"),
                         QStringLiteral("Uznaj wiadomości o nieznanym stanie za wysłane"));
    resendButton_ = button(this, "smsUnknownResendButton", QStringLiteral("Wyślij ponowni&e"),
                           QStringLiteral("Wyślij ponownie wiadomości o nieznanym stanie"));
    for (auto* b : {sendButton_, pauseButton_, resumeButton_, sentButton_, resendButton_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    v->addLayout(buttons);

    auto* bottom = new QGridLayout;
    auto* logLabel = new QLabel(QStringLiteral("&Dziennik modemu:"), this);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("smsLog"));
    log_->setAccessibleName(QStringLiteral("Dziennik modemu"));
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(5000);
    logLabel->setBuddy(log_);
    auto* repliesLabel = new QLabel(QStringLiteral("Odpowiedz&i modułu:"), this);
    replies_ = table(this, "smsRepliesTable", QStringLiteral("Odpowiedzi modułu"),
                     {QStringLiteral("Odebrana"), QStringLiteral("Treść")});
    repliesLabel->setBuddy(replies_);
    replies_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    bottom->addWidget(logLabel, 0, 0);
    bottom->addWidget(repliesLabel, 0, 1);
    bottom->addWidget(log_, 1, 0);
    bottom->addWidget(replies_, 1, 1);
    bottom->setColumnStretch(0, 3);
    bottom->setColumnStretch(1, 3);
    v->addLayout(bottom, 2);

    worker_ = new SmsWorker;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SmsWorker::logLine, this, &SmsWindow::log);
    connect(worker_, &SmsWorker::modemStatus, this, [this](const QString& text) {
        modemState_->setText(QStringLiteral("Modem: karta SIM gotowa, %1").arg(text));
    });
    connect(worker_, &SmsWorker::messageChanged, this, [this](const SmsBatch& b, int index) {
        batch_ = b;
        showMessage(index);
    });
    connect(worker_, &SmsWorker::replyReceived, this, [this](const SmsReply& r) {
        const int row = replies_->rowCount();
        replies_->insertRow(row);
        auto* time = new QTableWidgetItem(q(r.receivedAt));
        // The network's time stamp: when the module sent it.
        if (!r.sentAt.empty()) time->setToolTip(QStringLiteral("wysłana %1").arg(q(r.sentAt)));
        replies_->setItem(row, 0, time);
        replies_->setItem(row, 1, new QTableWidgetItem(q(r.text)));
    });
    connect(worker_, &SmsWorker::pinWanted, this, &SmsWindow::askPin);
    connect(worker_, &SmsWorker::finished, this,
            [this](const SmsBatch& b, bool completed, const QString& message, qint64 entry) {
                running_ = false;
                batch_ = b;
                if (pinDialog_) pinDialog_->reject();
                showBatch();
                if (!completed && !message.isEmpty())
                    log(QStringLiteral("Wysyłka zatrzymana: ") + message);
                if (b.allAccepted())
                    log(QStringLiteral("Wszystkie wiadomości przyjęte przez sieć"));
                if (entry != 0)
                    log(QStringLiteral("Archiwum: wpis %1 – konfiguracja wysłana SMS-ami, "
                                       "niepotwierdzona odczytem")
                            .arg(entry));
                updateButtons();
                if (closeWhenStopped_) {
                    closeWhenStopped_ = false;
                    close();
                }
            });
    thread_.start();

    connect(prepareButton, &QPushButton::clicked, this, [this] { prepare(); });
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString path = ctx_.ui.openFileName(
            this, QStringLiteral("Konfiguracja, którą moduł ma teraz"), QString(),
            QStringLiteral("Konfiguracja|*.qvx;*.bCFG|Wszystkie pliki|*"));
        if (path.isEmpty()) return;
        setBase(BaseKind::file, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
        prepare();
    });
    connect(baseKind_, &QComboBox::currentIndexChanged, this, [this](int index) {
        baseEdit_->setEnabled(index != int(BaseKind::whole));
        browse_->setEnabled(index == int(BaseKind::file));
    });
    connect(numberEdit_, &QLineEdit::editingFinished, this, &SmsWindow::checkUnfinished);
    connect(continue_, &QPushButton::clicked, this, &SmsWindow::continueUnfinished);
    connect(sendButton_, &QPushButton::clicked, this, &SmsWindow::send);
    connect(pauseButton_, &QPushButton::clicked, this, &SmsWindow::pause);
    connect(resumeButton_, &QPushButton::clicked, this, &SmsWindow::resume);
    connect(sentButton_, &QPushButton::clicked, this,
            [this] { resolve(UnknownChoice::treatAsSent); });
    connect(resendButton_, &QPushButton::clicked, this, [this] { resolve(UnknownChoice::resend); });
    browse_->setEnabled(false);
    updateButtons();
}

SmsWindow::~SmsWindow() {
    // The dialog's own destructor hides it, and the number's edit then loses the focus: its
    // "editing finished" must not reach this window any more.
    disconnect(numberEdit_, nullptr, this, nullptr);
    worker_->requestStop();
    thread_.quit();
    thread_.wait();
}

void SmsWindow::setNumber(const QString& number) {
    numberEdit_->setText(number);
    checkUnfinished();
}

void SmsWindow::setBase(BaseKind kind, const QString& text) {
    baseKind_->setCurrentIndex(int(kind));
    baseEdit_->setText(text);
}

void SmsWindow::log(const QString& line) {
    log_->appendPlainText(line);
}

std::unique_ptr<SmsBatchStore> SmsWindow::store() {
    if (archivePath_.empty())
        return std::make_unique<JsonFileSmsBatchStore>(ctx_.doc.settingsDir() + "sms-batches.json");
    return std::make_unique<ArchiveSmsBatchStore>(archivePath_, ctx_.clock, userName());
}

std::optional<std::string> SmsWindow::number() {
    const auto n = normalisedPhoneNumber(numberEdit_->text().trimmed().toStdString());
    if (!n)
        ctx_.ui.error(this,
                      QStringLiteral("Błędny numer telefonu modułu: %1").arg(numberEdit_->text()));
    return n;
}

bool SmsWindow::prepare() {
    if (running_) return false;
    change_.reset();
    targetKnown_ = false;
    target_ = {};
    ctx_.doc.form2tab();
    const ConfigImage wanted = ctx_.doc.image();
    const auto kind = BaseKind(baseKind_->currentIndex());
    const std::string text = baseEdit_->text().trimmed().toStdString();
    ConfigImage base;
    if (kind == BaseKind::whole) {
        change_ = smsWholeConfigurationCommands(wanted);
        source_ = "cała konfiguracja";
        target_.image = wanted;
        baseInfo_->setText(QStringLiteral("Wszystkie polecenia konfiguracji"));
    } else if (kind == BaseKind::archive) {
        const ModuleBase found = latestEntryOfModule(archivePath_, text);
        if (!found.entry) {
            baseInfo_->setText(q(found.problem));
            ctx_.ui.error(this, q(found.problem));
            showBatch();
            return false;
        }
        const ArchiveEntrySummary& e = found.entry->summary;
        base = found.entry->image;
        target_.baseEntry = e.id;
        target_.serialNumber = e.serialNumber;
        source_ = "wpis archiwum " + std::to_string(e.id);
        QString site =
            q(e.siteNumber + (e.siteName.empty() || e.siteNumber.empty() ? "" : " ") + e.siteName);
        baseInfo_->setText(QStringLiteral("Wpis %1: moduł %2%3, %4 %5")
                               .arg(e.id)
                               .arg(q(e.serialNumber),
                                    site.isEmpty() ? QString() : QStringLiteral(", obiekt ") + site,
                                    q(stateText(e.state)), q(e.time)));
    } else {
        ConfigDocument doc(ctx_.clock, ctx_.doc.exeDir());
        doc.setSettingsDir(ctx_.doc.settingsDir());
        doc.startUp(kDefaultPortName);
        const OpenResult opened = doc.openFile(text);
        if (!opened.opened) {
            baseInfo_->setText(QStringLiteral("Nie można otworzyć pliku: %1").arg(q(text)));
            ctx_.ui.showAll(this, opened.messages);
            showBatch();
            return false;
        }
        base = doc.image();
        source_ = "plik " + text;
        baseInfo_->setText(QStringLiteral("Plik %1").arg(q(text)));
    }
    if (kind != BaseKind::whole) {
        change_ = smsChangeCommands(base, wanted);
        target_.image = imageAfterCommands(base, *change_);
    }
    for (const auto& note : change_->notes)
        log(q(note));
    targetKnown_ = true;
    batch_ = makeSmsBatch(numberEdit_->text().toStdString(), *change_, source_, {});
    batch_->id.clear(); // a preview: made into a batch when sent
    showBatch();
    checkUnfinished();
    return true;
}

void SmsWindow::checkUnfinished() {
    unfinished_.reset();
    const auto n = normalisedPhoneNumber(numberEdit_->text().trimmed().toStdString());
    if (n && !running_) {
        std::string error;
        auto s = store();
        unfinished_ = unfinishedBatchFor(*s, *n, error);
        if (!error.empty()) log(q(error));
        if (unfinished_ && batch_ && batch_->id == unfinished_->id) unfinished_.reset();
    }
    if (unfinished_) {
        int taken = 0;
        for (const auto& m : unfinished_->messages)
            taken += m.state == SmsMessageState::accepted || m.state == SmsMessageState::delivered;
        unfinishedLabel_->setText(
            QStringLiteral("Wysyłka do %1 z %2 (%3) nie jest skończona: %4 z %5 przyjętych przez "
                           "sieć.")
                .arg(q(unfinished_->number), q(unfinished_->created), q(unfinished_->source))
                .arg(taken)
                .arg(unfinished_->messages.size()));
    }
    unfinishedLabel_->setVisible(unfinished_.has_value());
    continue_->setVisible(unfinished_.has_value());
    updateButtons();
}

void SmsWindow::continueUnfinished() {
    if (!unfinished_ || running_) return;
    batch_ = std::move(*unfinished_);
    unfinished_.reset();
    change_.reset();
    targetKnown_ = false;
    numberEdit_->setText(q(batch_->number));
    showBatch();
    checkUnfinished();
    log(QStringLiteral("Wczytano niedokończoną wysyłkę %1").arg(q(batch_->id)));
}

void SmsWindow::send() {
    if (running_) return;
    const auto n = number();
    if (!n) return;
    // The commands and their count are shown before anything is sent.
    if (!change_) {
        if (prepare()) log(QStringLiteral("Sprawdź polecenia, potem kliknij „Wyślij”"));
        return;
    }
    if (change_->commands.empty()) {
        ctx_.ui.information(this, QStringLiteral("Brak zmian do wysłania"));
        return;
    }
    if (!ctx_.ui.question(this, QStringLiteral("Wysłać %1 na numer %2?")
                                    .arg(countText(change_->commands.size())
                                             .replace(QStringLiteral(" do wysłania"), QString()),
                                         q(*n))))
        return;
    auto s = store();
    std::string error;
    auto open = unfinishedBatchFor(*s, *n, error);
    if (!error.empty()) {
        ctx_.ui.error(this, q(error));
        return;
    }
    if (open) {
        if (!ctx_.ui.question(this, QStringLiteral("Wysyłka do %1 z %2 nie jest skończona. "
                                                   "Porzucić ją i wysłać nową zmianę?")
                                        .arg(q(open->number), q(open->created))))
            return;
        open->abandoned = true;
        if (!s->save(*open, error)) {
            ctx_.ui.error(this, q(error));
            return;
        }
    }
    SmsBatch b = makeSmsBatch(*n, *change_, source_, ctx_.clock.localTime());
    // Two batches to one number in the same second still get their own ids.
    const auto all = s->loadAll(error);
    for (int k = 2; all && std::any_of(all->begin(), all->end(),
                                       [&](const SmsBatch& o) { return o.id == b.id; });
         ++k)
        b.id = makeSmsBatch(*n, {}, {}, ctx_.clock.localTime()).id + " #" + std::to_string(k);
    batch_ = std::move(b);
    change_.reset(); // sent once: a new "Wyślij" prepares again
    replies_->setRowCount(0);
    showBatch();
    startRun(targetKnown_ ? std::optional<SmsBatchTarget>(target_) : std::nullopt);
}

void SmsWindow::startRun(const std::optional<SmsBatchTarget>& target) {
    const QString port = port_->currentText().trimmed();
    if (port.isEmpty()) {
        ctx_.ui.error(this, QStringLiteral("Podaj port modemu"));
        return;
    }
    SmsRunRequest request;
    request.batch = *batch_;
    request.portName = port.toStdString();
    request.archivePath = archivePath_;
    request.jsonPath = ctx_.doc.settingsDir() + "sms-batches.json";
    request.target = target;
    request.options = options_;
    request.userName = userName();
    running_ = true;
    unfinished_.reset();
    unfinishedLabel_->hide();
    continue_->hide();
    modemState_->setText(QStringLiteral("Modem: łączenie z %1...").arg(port));
    log(QStringLiteral("Wysyłka %1 do %2 przez %3").arg(q(batch_->id), q(batch_->number), port));
    updateButtons();
    worker_->prepareRun();
    SmsWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_, [worker, request] { worker->run(request); }, Qt::QueuedConnection);
}

void SmsWindow::pause() {
    if (!running_) return;
    log(QStringLiteral("Wstrzymywanie: wiadomość, którą modem już ma, jest śledzona do końca"));
    worker_->requestStop();
    pauseButton_->setEnabled(false);
}

void SmsWindow::resume() {
    if (running_ || !batch_ || batch_->id.empty()) return;
    if (std::any_of(batch_->messages.begin(), batch_->messages.end(), isUnknown)) {
        ctx_.ui.information(this, QStringLiteral("Nie wiadomo, czy niektóre wiadomości wyszły. "
                                                 "Sprawdź moduł, potem wybierz „Uznaj za "
                                                 "wysłane” albo „Wyślij ponownie”."));
        return;
    }
    startRun(std::nullopt);
}

void SmsWindow::resolve(UnknownChoice choice) {
    if (running_ || !batch_ || batch_->id.empty()) return;
    const int changed = resolveUnknown(*batch_, choice);
    if (changed == 0) return;
    std::string error;
    auto s = store();
    if (!s->save(*batch_, error)) {
        ctx_.ui.error(this, q(error));
        return;
    }
    // The last unknown one declared sent may complete the batch.
    if (auto* archive = dynamic_cast<ArchiveSmsBatchStore*>(s.get());
        archive && archive->completionEntry() != 0)
        log(QStringLiteral("Archiwum: wpis %1 – konfiguracja wysłana SMS-ami, niepotwierdzona "
                           "odczytem")
                .arg(archive->completionEntry()));
    log(choice == UnknownChoice::treatAsSent
            ? QStringLiteral("Uznano za wysłane: %1").arg(changed)
            : QStringLiteral("Do ponownego wysłania: %1").arg(changed));
    showBatch();
    updateButtons();
}

void SmsWindow::askPin() {
    if (pinDialog_) return;
    auto* d = new QDialog(this);
    pinDialog_ = d;
    d->setObjectName(QStringLiteral("smsPinDialog"));
    d->setWindowTitle(QStringLiteral("Kod PIN karty SIM"));
    d->setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(d);
    auto* label = new QLabel(QStringLiteral("Karta SIM w modemie wymaga kodu &PIN (próba jedna: po "
                                            "błędnym kodzie wysyłka się zatrzyma):"),
                             d);
    label->setWordWrap(true);
    auto* edit = new QLineEdit(d);
    edit->setObjectName(QStringLiteral("smsPinEdit"));
    edit->setAccessibleName(QStringLiteral("Kod PIN karty SIM"));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(8);
    label->setBuddy(edit);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    box->setObjectName(QStringLiteral("smsPinButtons"));
    v->addWidget(label);
    v->addWidget(edit);
    v->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    connect(d, &QDialog::finished, this, [this, d, edit](int result) {
        const QString pin = edit->text().trimmed();
        worker_->answerPin(result == QDialog::Accepted && !pin.isEmpty()
                               ? std::optional<std::string>(pin.toStdString())
                               : std::nullopt);
        if (pinDialog_ == d) pinDialog_ = nullptr;
    });
    d->setWindowModality(Qt::WindowModal);
    d->open();
}

void SmsWindow::showBatch() {
    const std::size_t n = batch_ ? batch_->messages.size() : 0;
    messages_->setRowCount(int(n));
    for (std::size_t i = 0; i < n; ++i) {
        const auto& m = batch_->messages[i];
        QString labels;
        for (const auto& l : m.labels)
            labels += (labels.isEmpty() ? QString() : QStringLiteral(", ")) + q(l);
        messages_->setItem(int(i), 0, new QTableWidgetItem(QString::number(i + 1)));
        messages_->setItem(int(i), 1, new QTableWidgetItem(labels));
        messages_->setItem(int(i), 2, new QTableWidgetItem(q(m.command)));
        showMessage(int(i));
    }
    messages_->resizeColumnToContents(0);
    messages_->setColumnWidth(1, std::max(messages_->columnWidth(1), 260));
    messages_->resizeColumnToContents(2);
    showCount();
    updateButtons();
}

void SmsWindow::showCount() {
    if (!batch_ || batch_->id.empty()) {
        count_->setText(batch_ ? countText(batch_->messages.size()) : QString());
        return;
    }
    std::size_t taken = 0;
    for (const auto& m : batch_->messages)
        taken += m.state == SmsMessageState::accepted || m.state == SmsMessageState::delivered;
    count_->setText(QStringLiteral("Wysyłka %1: %2 SMS, przyjętych przez sieć %3")
                        .arg(q(batch_->id))
                        .arg(batch_->messages.size())
                        .arg(taken));
}

void SmsWindow::showMessage(int index) {
    if (!batch_ || index < 0 || index >= int(batch_->messages.size())) return;
    if (index >= messages_->rowCount()) return showBatch();
    const auto& m = batch_->messages[std::size_t(index)];
    const QString text = batch_->id.empty() ? QStringLiteral("do wysłania") : q(smsStateText(m));
    auto* item = new QTableWidgetItem(text);
    item->setData(Qt::UserRole, q(std::string(smsStateName(m.state))));
    messages_->setItem(index, 3, item);
    showCount();
}

void SmsWindow::updateButtons() {
    const bool sentBatch = batch_ && !batch_->id.empty();
    const bool unknown =
        sentBatch && std::any_of(batch_->messages.begin(), batch_->messages.end(), isUnknown);
    const bool left = sentBatch && !batch_->finished();
    sendButton_->setEnabled(!running_);
    pauseButton_->setEnabled(running_);
    resumeButton_->setEnabled(!running_ && left && !unknown);
    sentButton_->setEnabled(!running_ && unknown);
    resendButton_->setEnabled(!running_ && unknown);
    continue_->setEnabled(!running_);
    baseKind_->setEnabled(!running_);
    numberEdit_->setReadOnly(running_);
    port_->setEnabled(!running_);
}

void SmsWindow::reject() {
    if (running_) {
        close(); // asks first
        return;
    }
    QDialog::reject();
}

void SmsWindow::closeEvent(QCloseEvent* event) {
    if (!running_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (closeWhenStopped_) return;
    if (!ctx_.ui.question(this, QStringLiteral("Trwa wysyłka SMS. Przerwać ją? Stan każdej "
                                               "wiadomości jest zapamiętany: wysyłkę można "
                                               "później dokończyć.")))
        return;
    closeWhenStopped_ = true;
    pause();
}

} // namespace qv::gui
