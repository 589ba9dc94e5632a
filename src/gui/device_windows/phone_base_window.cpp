#include "gui/device_windows/phone_base_window.hpp"

#include "gui/app/app_context.hpp"
#include "gui/device_windows/phone_base_model.hpp"
#include "gui/link/link_window.hpp"
#include "gui/widgets/binding.hpp"
#include "tools/phone_base_file.hpp"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
constexpr const char* kFileFilter = "Pliki z numerami telefonów|*.PHBINI";

QString fromView(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The number column takes digits and the editing keys only; the others are dropped.
class NumberKeyFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() != 1) return false; // navigation and function keys
        const int code = text.at(0).unicode();
        const bool editorKey = code == '\r' || code == '\n' || code == 27 || code == '\t' ||
                               code == 127; // Enter, Escape, Tab and Delete keep working
        return !(editorKey || numberCellAcceptsKey(code));
    }
};

class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setObjectName(QStringLiteral("cellEditor"));
        if (index.column() == 1) editor->installEventFilter(new NumberKeyFilter(editor));
        return editor;
    }
};
} // namespace

PhoneBaseWindow::PhoneBaseWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), draft_(std::make_unique<PhoneBaseDraft>()) {
    setObjectName(QStringLiteral("TFormAdd4kPhones"));
    setWindowTitle(fromView(kPhoneBaseCaption));
    setModal(true);

    model_ = new PhoneBaseModel(draft_->grid(), this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setAccessibleName(windowTitle());
    grid_->setModel(model_);
    grid_->setItemDelegate(new CellDelegate(grid_));
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(20);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setColumnWidth(0, 90);
    grid_->setColumnWidth(1, 160);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setMinimumWidth(520);

    searchEdit_ = new QLineEdit(this);
    searchEdit_->setObjectName(QStringLiteral("Edit1"));
    found_ = new QLabel(QStringLiteral("0"), this);
    found_->setObjectName(QStringLiteral("LabelFound"));
    free_ = new QLabel(this);
    free_->setObjectName(QStringLiteral("LabelFree"));
    wait_ = new QLabel(QStringLiteral("PROSZĘ CZEKAC..."), this);
    wait_->setObjectName(QStringLiteral("LabelWait"));
    QFont bold = wait_->font();
    bold.setBold(true);
    wait_->setFont(bold);
    wait_->hide();

    auto button = [this](const char* name, const QString& caption, void (PhoneBaseWindow::*f)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, f);
        return b;
    };
    auto* side = new QVBoxLayout;
    auto* counts = new QGridLayout;
    counts->addWidget(new QLabel(QStringLiteral("Zajete pozycje: "), this), 0, 0);
    counts->addWidget(free_, 0, 1);
    auto* searchLabel = new QLabel(QStringLiteral("Szukaj:"), this);
    searchLabel->setBuddy(searchEdit_);
    counts->addWidget(searchLabel, 1, 0);
    counts->addWidget(searchEdit_, 1, 1);
    counts->addWidget(new QLabel(QStringLiteral("Znaleziono:"), this), 2, 0);
    counts->addWidget(found_, 2, 1);
    side->addLayout(counts);
    side->addSpacing(12);
    side->addWidget(
        button("Button1", QStringLiteral("Zapisz do pliku"), &PhoneBaseWindow::saveToFile));
    side->addWidget(
        button("Button2", QStringLiteral("Odczytaj z pliku"), &PhoneBaseWindow::loadFromFile));
    side->addWidget(
        button("Button3", QStringLiteral("Wyczysc tabelke"), &PhoneBaseWindow::clearTable));
    side->addSpacing(12);
    side->addWidget(
        button("Button4", QStringLiteral("Zapisz do urzadzenia"), &PhoneBaseWindow::writeToDevice));
    side->addWidget(button("Button5", QStringLiteral("Odczytaj z urzadzenia"),
                           &PhoneBaseWindow::readFromDevice));
    side->addSpacing(12);
    side->addWidget(wait_);
    side->addStretch(1);

    welcome_ = new QLineEdit(this);
    welcome_->setObjectName(QStringLiteral("EditWelcomeText"));
    welcome_->setMaxLength(int(kPhoneBaseTextMax));
    goodbye_ = new QLineEdit(this);
    goodbye_->setObjectName(QStringLiteral("EditGoodbyeText"));
    goodbye_->setMaxLength(int(kPhoneBaseTextMax));
    auto* note =
        new QLabel(QStringLiteral("Uwaga: Numer telefonu to minimum 9 cyfr.  Nie wpisywac numeru "
                                  "kierunkowego, ani znaku +"),
                   this);
    note->setFont(bold);

    auto* top = new QHBoxLayout;
    top->addWidget(grid_, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    auto* welcomeLabel = new QLabel(
        QStringLiteral("Tekst powitalny dla klienta dopisanego do bazy telefonow uprawnionych:"),
        this);
    welcomeLabel->setBuddy(welcome_);
    layout->addWidget(welcomeLabel);
    layout->addWidget(welcome_);
    auto* goodbyeLabel = new QLabel(
        QStringLiteral("Tekst pozegnalny dla klienta wypisanego z bazy telfonow uprawnionych:"),
        this);
    goodbyeLabel->setBuddy(goodbye_);
    layout->addWidget(goodbyeLabel);
    layout->addWidget(goodbye_);
    layout->addWidget(note);
    // As drawn, or as much as a small screen (a laptop at 125 %) has.
    QSize size(800, 620);
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size());
    resize(size);

    connect(searchEdit_, &QLineEdit::textChanged, this, &PhoneBaseWindow::search);
    connect(model_, &PhoneBaseModel::cellEdited, this, [this] {
        search();
        checkFree();
    });
    // Shown with their signals blocked, so every change is the user's.
    connect(welcome_, &QLineEdit::textChanged, this, [this] { takeTexts(); });
    connect(goodbye_, &QLineEdit::textChanged, this, [this] { takeTexts(); });
    checkFree();
}

PhoneBaseWindow::~PhoneBaseWindow() {
    // The grid reads the table while it goes: take it down before the table.
    delete grid_;
    delete model_;
}

void PhoneBaseWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Numbers typed and not yet written are kept; an untouched grid follows the held image.
    if (draft_->followsImage()) eepToTab();
}

PhoneBaseImage PhoneBaseWindow::heldImage() const {
    const auto image = PhoneBaseImage::fromBytes(ctx_.doc.phoneBaseBuffer());
    return image ? *image : PhoneBaseImage::empty();
}

void PhoneBaseWindow::storeImage(const PhoneBaseImage& image) {
    auto& buffer = ctx_.doc.phoneBaseBuffer();
    if (buffer.size() < image.bytes.size()) buffer.resize(image.bytes.size(), 0xFF);
    std::copy(image.bytes.begin(), image.bytes.end(), buffer.begin());
}

void PhoneBaseWindow::takeTexts() {
    table().welcome = ss(welcome_->text());
    table().goodbye = ss(goodbye_->text());
}

void PhoneBaseWindow::eepToTab() {
    decodePhoneBase(heldImage(), table());
    draft_->shownFromImage();
    model_->reset();
    showText(welcome_, table().welcome);
    showText(goodbye_, table().goodbye);
    search();
    checkFree();
}

bool PhoneBaseWindow::tabToEep() {
    takeTexts();
    PhoneBaseImage image = heldImage();
    const PhoneBaseEncodeResult encoded = encodePhoneBase(table(), image);
    if (!encoded.ok) {
        ctx_.ui.error(this, qs(encoded.message));
        return false;
    }
    storeImage(image);
    draft_->writtenToImage();
    checkFree();
    return true;
}

void PhoneBaseWindow::search() {
    const PhoneBaseSearch found = model_->search(searchEdit_->text());
    found_->setText(QString::number(found.count));
    if (found.firstRow >= 0) {
        const QModelIndex first = model_->index(found.firstRow, 1);
        grid_->setCurrentIndex(first);
        grid_->scrollTo(first);
    }
}

void PhoneBaseWindow::checkFree() {
    free_->setText(qs(occupiedText(occupiedRows(table()))));
}

void PhoneBaseWindow::saveToFile() {
    wait_->show();
    const QString path =
        ctx_.ui.saveFileName(this, QString(), qs(ctx_.doc.configDir()),
                             QString::fromUtf8(kFileFilter), QStringLiteral("PHBINI"));
    if (!path.isEmpty()) {
        takeTexts();
        const PhoneBaseFileResult saved = savePhoneBaseFile(path.toStdString(), table());
        if (saved.ok) {
            draft_->keptInFile();
            ctx_.ui.information(this, qs(saved.message));
        } else {
            ctx_.ui.error(this, qs(saved.message));
        }
    }
    wait_->hide();
    search();
    checkFree();
}

void PhoneBaseWindow::loadFromFile() {
    wait_->show();
    const QString path = ctx_.ui.openFileName(this, QString(), qs(ctx_.doc.configDir()),
                                              QString::fromUtf8(kFileFilter));
    if (!path.isEmpty()) {
        const PhoneBaseFileResult loaded = loadPhoneBaseFile(path.toStdString(), table());
        model_->reset();
        showText(welcome_, table().welcome);
        showText(goodbye_, table().goodbye);
        if (loaded.ok) {
            draft_->keptInFile();
            ctx_.ui.information(this, qs(loaded.message));
        } else {
            ctx_.ui.error(this, qs(loaded.message));
        }
    }
    wait_->hide();
    search();
    checkFree();
}

void PhoneBaseWindow::clearTable() {
    table().clear();
    model_->reset();
    const QSignalBlocker b1(searchEdit_), b2(welcome_), b3(goodbye_);
    searchEdit_->clear();
    welcome_->clear();
    goodbye_->clear();
    search();
    checkFree();
}

void PhoneBaseWindow::writeToDevice() {
    takeTexts();
    if (const int shortNumbers = countShortNumbers(table()); shortNumbers != 0) {
        ctx_.ui.error(this, qs(shortNumbersMessage(shortNumbers)));
        return;
    }
    const std::string password = ctx_.confirmPassword(this);
    if (!tabToEep()) return;
    const auto& buffer = ctx_.doc.phoneBaseBuffer();
    ctx_.link->inputs().phoneBase = std::vector<std::uint8_t>(
        buffer.begin(), buffer.begin() + std::ptrdiff_t(kPhoneBaseImageSize));
    const int written = ctx_.link->runSession(LinkMode::writePhoneBase, password, kPhoneBaseLength);
    ctx_.link->inputs().phoneBase.reset();
    if (written > 0) draft_->heldByModule();
}

void PhoneBaseWindow::readFromDevice() {
    const std::string password = ctx_.confirmPassword(this);
    if (ctx_.link->runSession(LinkMode::readPhoneBase, password, kPhoneBaseLength) <= 0) return;
    const auto& bytes = ctx_.link->results().phoneBase;
    const auto image = bytes ? PhoneBaseImage::fromBytes(*bytes) : std::nullopt;
    // A read with digits the module cannot hold is refused: the grid and the held image stay.
    if (!image || !isValidReadImage(*image)) {
        ctx_.ui.error(this, fromView(kPhoneBaseReadInvalidMessage));
        return;
    }
    storeImage(*image);
    eepToTab();
    draft_->heldByModule();
}

} // namespace qv::gui
