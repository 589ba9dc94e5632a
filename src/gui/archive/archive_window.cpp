#include "gui/archive/archive_window.hpp"

#include "archive/archive_export.hpp"
#include "archive/archive_text.hpp"
#include "config/messages.hpp"
#include "gui/app/app_context.hpp"
#include "gui/archive/archive_access.hpp"
#include "gui/archive/archive_models.hpp"
#include "gui/device_windows/compare_window.hpp"
#include "tools/config_compare.hpp"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

namespace qv::gui {

namespace {

// The window waits at most this long for another program that is storing an entry: reading
// in the write-ahead log never waits, and a note or a deletion is then refused with a message
// rather than holding the window.
constexpr int kBusyTimeoutMs = 1000;

QTableView* listView(QWidget* parent, const char* name, const QString& accessibleName) {
    auto* v = new QTableView(parent);
    v->setObjectName(QString::fromLatin1(name));
    v->setAccessibleName(accessibleName);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setAlternatingRowColors(true);
    v->setWordWrap(false);
    v->verticalHeader()->hide();
    v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 6);
    v->horizontalHeader()->setStretchLastSection(true);
    v->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    return v;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAccessibleName(QString(caption).remove(u'&').remove(QStringLiteral("...")));
    b->setEnabled(false);
    return b;
}

QString entryTitle(const ArchiveEntrySummary& e) {
    return QStringLiteral("wpis %1, %2, %3")
        .arg(e.id)
        .arg(QString::fromStdString(e.time), QString::fromStdString(operationText(e)));
}

// A document of its own for a kept configuration, so the window's stays as it is.
std::unique_ptr<ConfigDocument> scratchDocument(AppContext& ctx) {
    auto doc = std::make_unique<ConfigDocument>(ctx.clock, ctx.doc.exeDir());
    doc->setSettingsDir(ctx.doc.settingsDir());
    doc->startUp(ctx.doc.programSettings().portName);
    return doc;
}

} // namespace

ArchiveWindow::ArchiveWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TArchiveForm"));
    setWindowTitle(QStringLiteral("Archiwum modułów"));

    auto* searchLabel = new QLabel(QStringLiteral("&Szukaj:"), this);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("archiveSearch"));
    search_->setAccessibleName(QStringLiteral("Szukaj modułu"));
    search_->setPlaceholderText(
        QStringLiteral("numer seryjny, nazwa lub numer obiektu, numer telefonu"));
    search_->setClearButtonEnabled(true);
    searchLabel->setBuddy(search_);

    modules_ = new ArchiveModuleModel(this);
    moduleView_ = listView(this, "archiveModules", QStringLiteral("Moduły"));
    moduleView_->setSelectionMode(QAbstractItemView::SingleSelection);
    moduleView_->setModel(modules_);
    moduleView_->setColumnWidth(ArchiveModuleModel::Serial, 120);
    moduleView_->setColumnWidth(ArchiveModuleModel::Model, 110);
    moduleView_->setColumnWidth(ArchiveModuleModel::Site, 260);
    moduleView_->setColumnWidth(ArchiveModuleModel::LastSeen, 150);

    auto* entriesLabel = new QLabel(QStringLiteral("&Wpisy modułu (najnowsze pierwsze):"), this);
    entries_ = new ArchiveEntryModel(this);
    entryView_ = listView(this, "archiveEntries", QStringLiteral("Wpisy modułu"));
    entryView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    entryView_->setModel(entries_);
    entryView_->setColumnWidth(ArchiveEntryModel::Time, 150);
    entryView_->setColumnWidth(ArchiveEntryModel::Operation, 140);
    entryView_->setColumnWidth(ArchiveEntryModel::User, 100);
    entryView_->setColumnWidth(ArchiveEntryModel::File, 200);
    entriesLabel->setBuddy(entryView_);

    open_ = button(this, "archiveOpenButton", QStringLiteral("&Otwórz w oknie"),
                   QStringLiteral("Konfiguracja wpisu w oknie głównym, jako niezapisana"));
    compareWindow_ = button(this, "archiveCompareWindowButton", QStringLiteral("Porównaj z &oknem"),
                            QStringLiteral("Różnice między wpisem a konfiguracją w oknie"));
    compareEntries_ =
        button(this, "archiveCompareEntriesButton", QStringLiteral("Porównaj &wpisy"),
               QStringLiteral("Różnice między dwoma zaznaczonymi wpisami (Ctrl+klik)"));
    export_ = button(this, "archiveExportButton", QStringLiteral("&Eksportuj..."),
                     QStringLiteral("Zapisz konfigurację wpisu jako plik .qvx lub .bCFG"));
    delete_ = button(this, "archiveDeleteButton", QStringLiteral("&Usuń..."),
                     QStringLiteral("Usuń wpis z archiwum"));

    auto* noteLabel = new QLabel(QStringLiteral("&Notatka:"), this);
    note_ = new QLineEdit(this);
    note_->setObjectName(QStringLiteral("archiveNote"));
    note_->setAccessibleName(QStringLiteral("Notatka wpisu"));
    note_->setEnabled(false);
    noteLabel->setBuddy(note_);
    saveNote_ = button(this, "archiveSaveNoteButton", QStringLiteral("&Zapisz notatkę"),
                       QStringLiteral("Zapisz notatkę zaznaczonego wpisu"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("archiveStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    auto* close = new QPushButton(QStringLiteral("Zam&knij"), this);
    close->setObjectName(QStringLiteral("archiveCloseButton"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);
    auto* actions = new QHBoxLayout;
    for (QPushButton* b : {open_, compareWindow_, compareEntries_, export_, delete_})
        actions->addWidget(b);
    actions->addStretch(1);
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(noteLabel);
    noteRow->addWidget(note_, 1);
    noteRow->addWidget(saveNote_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(moduleView_, 1);
    layout->addWidget(entriesLabel);
    layout->addWidget(entryView_, 2);
    layout->addLayout(actions);
    layout->addLayout(noteRow);
    layout->addLayout(bottom);
    resize(900, 600);

    connect(search_, &QLineEdit::textChanged, this, &ArchiveWindow::reload);
    connect(moduleView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ArchiveWindow::moduleChosen);
    connect(entryView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ArchiveWindow::entrySelectionChanged);
    connect(entryView_, &QTableView::activated, this, &ArchiveWindow::openEntry);
    connect(open_, &QPushButton::clicked, this, &ArchiveWindow::openEntry);
    connect(compareWindow_, &QPushButton::clicked, this, &ArchiveWindow::compareWithWindow);
    connect(compareEntries_, &QPushButton::clicked, this, &ArchiveWindow::compareEntries);
    connect(export_, &QPushButton::clicked, this, &ArchiveWindow::exportEntry);
    connect(saveNote_, &QPushButton::clicked, this, &ArchiveWindow::saveNote);
    connect(note_, &QLineEdit::returnPressed, this, &ArchiveWindow::saveNote);
    connect(note_, &QLineEdit::textChanged, this, [this] { saveNote_->setEnabled(true); });
    connect(delete_, &QPushButton::clicked, this, &ArchiveWindow::deleteEntry);
}

void ArchiveWindow::showArchive() {
    reload();
    // Within the screen, with room for the frame, at any scale.
    if (const QScreen* s = screen()) {
        const QSize room = s->availableGeometry().size() - QSize(40, 80);
        resize(size().boundedTo(room).expandedTo(minimumSizeHint()));
    }
    show();
    raise();
    activateWindow();
    search_->setFocus();
}

void ArchiveWindow::showProblem(const std::string& line) {
    status_->setText(QString::fromStdString(line));
    ctx_.doc.log().add(line);
}

void ArchiveWindow::reload() {
    const ArchiveModule* chosen = modules_->module(moduleView_->currentIndex().row());
    const std::string keep = chosen ? chosen->serialNumber : std::string();
    status_->clear();
    ArchiveHandle h = openArchive(kBusyTimeoutMs);
    std::vector<ArchiveModule> found;
    if (h.archive) {
        auto listed = h.archive->modules(search_->text().toStdString());
        if (listed.ok())
            found = std::move(listed.value);
        else
            showProblem(archiveReadMessage(listed.problem));
    } else if (!h.problem.empty()) {
        showProblem(h.problem);
    }
    int row = found.empty() ? -1 : 0;
    for (std::size_t k = 0; k < found.size(); ++k)
        if (found[k].serialNumber == keep) row = int(k);
    modules_->setModules(std::move(found));
    entries_->setEntries({});
    if (row >= 0)
        moduleView_->setCurrentIndex(modules_->index(row, 0));
    else
        moduleChosen();
    if (status_->text().isEmpty() && modules_->rowCount() == 0)
        status_->setText(search_->text().isEmpty()
                             ? QStringLiteral("Archiwum jest puste.")
                             : QStringLiteral("Żaden moduł nie pasuje do szukanego tekstu."));
}

void ArchiveWindow::moduleChosen() {
    const ArchiveModule* m = modules_->module(moduleView_->currentIndex().row());
    std::vector<ArchiveEntrySummary> list;
    if (m) {
        ArchiveHandle h = openArchive(kBusyTimeoutMs);
        if (h.archive) {
            auto listed = h.archive->entries(m->serialNumber);
            if (listed.ok())
                list = std::move(listed.value);
            else
                showProblem(archiveReadMessage(listed.problem));
        } else if (!h.problem.empty()) {
            showProblem(h.problem);
        }
    }
    entries_->setEntries(std::move(list));
    if (entries_->rowCount() > 0) entryView_->setCurrentIndex(entries_->index(0, 0));
    entrySelectionChanged();
}

std::vector<std::int64_t> ArchiveWindow::selectedIds() const {
    std::vector<std::int64_t> ids;
    for (const QModelIndex& i : entryView_->selectionModel()->selectedRows())
        if (const auto* e = entries_->entry(i.row())) ids.push_back(e->id);
    // Newest first, as listed.
    std::sort(ids.begin(), ids.end(), std::greater<>());
    return ids;
}

void ArchiveWindow::entrySelectionChanged() {
    const auto ids = selectedIds();
    const bool one = ids.size() == 1;
    for (QPushButton* b : {open_, compareWindow_, export_, delete_})
        b->setEnabled(one);
    compareEntries_->setEnabled(ids.size() == 2);
    note_->setEnabled(one);
    const ArchiveEntrySummary* e = one ? entries_->entry(entries_->rowOf(ids[0])) : nullptr;
    note_->setText(e ? QString::fromStdString(e->note) : QString());
    saveNote_->setEnabled(false);
}

std::optional<ArchiveEntry> ArchiveWindow::load(std::int64_t id) {
    ArchiveHandle h = openArchive(kBusyTimeoutMs);
    if (!h.archive) {
        showProblem(h.problem.empty() ? archiveReadMessage("nie ma pliku archiwum") : h.problem);
        return std::nullopt;
    }
    auto got = h.archive->entry(id);
    if (!got.ok()) {
        showProblem(archiveReadMessage(got.problem));
        return std::nullopt;
    }
    if (!got.value) {
        status_->setText(QStringLiteral("Nie ma wpisu %1 w archiwum").arg(id));
        reload();
        return std::nullopt;
    }
    return std::move(got.value);
}

void ArchiveWindow::openEntry() {
    const auto ids = selectedIds();
    if (ids.size() != 1) return;
    if (auto e = load(ids[0])) Q_EMIT openRequested(*e);
}

void ArchiveWindow::compareWithWindow() {
    const auto ids = selectedIds();
    if (ids.size() != 1) return;
    const auto e = load(ids[0]);
    if (!e) return;
    const auto other = scratchDocument(ctx_);
    other->takeReadImage(e->image);
    const auto mine = ctx_.doc.convertedCopy();
    Comparison c =
        compareConfigurations(mine.settings, mine.image, other->settings(), other->image());
    hideSecretValues(c.settings);
    if (!compare_) compare_ = new CompareWindow(this);
    compare_->showComparisonOf(
        c, mine.image, other->image(), QStringLiteral("W oknie"),
        QStringLiteral("We wpisie %1").arg(e->summary.id),
        QStringLiteral("Konfiguracja w oknie porównana z: ") +
            QStringLiteral("moduł %1, ").arg(QString::fromStdString(e->summary.serialNumber)) +
            entryTitle(e->summary));
}

void ArchiveWindow::compareEntries() {
    const auto ids = selectedIds();
    if (ids.size() != 2) return;
    const auto newer = load(ids[0]);
    if (!newer) return;
    const auto older = load(ids[1]);
    if (!older) return;
    const auto a = scratchDocument(ctx_);
    a->takeReadImage(newer->image);
    const auto b = scratchDocument(ctx_);
    b->takeReadImage(older->image);
    Comparison c = compareConfigurations(a->settings(), a->image(), b->settings(), b->image());
    hideSecretValues(c.settings);
    if (!compare_) compare_ = new CompareWindow(this);
    compare_->showComparisonOf(c, a->image(), b->image(),
                               QStringLiteral("We wpisie %1").arg(newer->summary.id),
                               QStringLiteral("We wpisie %1").arg(older->summary.id),
                               QStringLiteral("Moduł %1: %2 porównany z: %3")
                                   .arg(QString::fromStdString(newer->summary.serialNumber),
                                        entryTitle(newer->summary), entryTitle(older->summary)));
}

void ArchiveWindow::exportEntry() {
    const auto ids = selectedIds();
    if (ids.size() != 1) return;
    const auto e = load(ids[0]);
    if (!e) return;
    const QString path =
        ctx_.ui.saveFileName(this, QStringLiteral("Eksportuj konfigurację wpisu"),
                             QString::fromStdString(ctx_.doc.configDir()),
                             QString::fromUtf8(msg::kFileFilter), QStringLiteral("qvx"));
    if (path.isEmpty()) return;
    if (QFileInfo::exists(path) && !ctx_.ui.question(this, QString::fromUtf8(msg::kAskOverwrite)))
        return;
    const auto scratch = scratchDocument(ctx_);
    const SaveResult saved = exportStoredImage(
        e->image, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString(),
        *scratch);
    ctx_.ui.showAll(this, saved.messages);
}

void ArchiveWindow::saveNote() {
    const auto ids = selectedIds();
    if (ids.size() != 1) return;
    const std::int64_t id = ids[0];
    ArchiveHandle h = openArchive(kBusyTimeoutMs);
    if (!h.archive) {
        showProblem(h.problem.empty() ? archiveNoteMessage("nie ma pliku archiwum") : h.problem);
        return;
    }
    const auto changed = h.archive->setNote(id, note_->text().toStdString());
    if (!changed.ok()) {
        showProblem(archiveNoteMessage(changed.problem));
        return;
    }
    status_->setText(changed.value ? QStringLiteral("Zapisano notatkę wpisu %1").arg(id)
                                   : QStringLiteral("Nie ma wpisu %1 w archiwum").arg(id));
    moduleChosen();
    const int row = entries_->rowOf(id);
    if (row >= 0) entryView_->setCurrentIndex(entries_->index(row, 0));
}

void ArchiveWindow::deleteEntry() {
    const auto ids = selectedIds();
    if (ids.size() != 1) return;
    const ArchiveEntrySummary* e = entries_->entry(entries_->rowOf(ids[0]));
    if (!e) return;
    const QString question =
        QStringLiteral("Usunąć z archiwum %1 modułu %2? Tego nie można cofnąć.")
            .arg(entryTitle(*e), QString::fromStdString(e->serialNumber));
    if (!ctx_.ui.question(this, question)) return;
    const std::int64_t id = e->id;
    ArchiveHandle h = openArchive(kBusyTimeoutMs);
    if (!h.archive) {
        showProblem(h.problem);
        return;
    }
    const auto removed = h.archive->remove(id);
    if (!removed.ok()) {
        showProblem(archiveDeleteMessage(removed.problem));
        return;
    }
    reload();
    status_->setText(QStringLiteral("Usunięto wpis %1").arg(id));
}

} // namespace qv::gui
