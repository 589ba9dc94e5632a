#include "gui/link/settings_window.hpp"

#include "gui/app/accessibility.hpp"
#include "gui/app/app_context.hpp"
#include "gui/widgets/binding.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/window_placement.hpp"
#include "link/port_settings.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace qv::gui {

SettingsWindow::SettingsWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TsettingsWindow"));
    centreOnScreenWhenShown(this);
    setWindowTitle(QStringLiteral("Ustawienia"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    auto* bar = new GradientToolBar(QStringLiteral("ToolBar1"), this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    saveButton_ = new QToolButton(bar);
    saveButton_->setObjectName(QStringLiteral("ToolButton1"));
    saveButton_->setText(QStringLiteral("Zapisz &ustawienia"));
    closeButton_ = new QToolButton(bar);
    closeButton_->setObjectName(QStringLiteral("ToolButton3"));
    closeButton_->setText(QStringLiteral("&Zamknij"));
    bar->addWidget(saveButton_);
    bar->addSeparator();
    bar->addWidget(closeButton_);

    ports_ = new QComboBox(this);
    ports_->setObjectName(QStringLiteral("ComComboBox1"));
    // Pseudo-terminals and the simulated module ("sim") are not listed but open by name.
    ports_->setEditable(true);
    ports_->setInsertPolicy(QComboBox::NoInsert);
    ports_->setMinimumWidth(220);
    hiddenPorts_ = new QComboBox(this);
    hiddenPorts_->setObjectName(QStringLiteral("ComComboBox2"));
    nameControl(hiddenPorts_, QStringLiteral("Port"));
    hiddenPorts_->hide();
    reverseReset_ = new QCheckBox(QStringLiteral("Odwróc sygnal reset"), this);
    reverseReset_->setObjectName(QStringLiteral("cbReverseReset"));
    reverseReset_->setToolTip(QStringLiteral("Funkcja testowa - pozostaw WYLACZONE"));

    // What the system says of each port, and of the adapters it offers no port for.
    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("PortDetails"));
    details_->setAccessibleName(QStringLiteral("Porty w systemie"));
    details_->setWordWrap(true);
    details_->setTextFormat(Qt::PlainText);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    details_->setFocusPolicy(Qt::StrongFocus);
    details_->setFixedWidth(440);
    withoutDriver_ = new QLabel(this);
    withoutDriver_->setObjectName(QStringLiteral("AdaptersWithoutDriver"));
    withoutDriver_->setAccessibleName(QStringLiteral("Adaptery bez sterownika"));
    withoutDriver_->setWordWrap(true);
    withoutDriver_->setTextFormat(Qt::PlainText);
    withoutDriver_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    withoutDriver_->setFocusPolicy(Qt::StrongFocus);
    withoutDriver_->setFixedWidth(440);
    withoutDriver_->hide();

    auto* form = new QFormLayout;
    form->setContentsMargins(12, 10, 12, 12);
    form->addRow(QStringLiteral("Port:"), ports_);
    form->addRow(QString(), details_);
    form->addRow(QString(), withoutDriver_);
    form->addRow(QString(), reverseReset_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addLayout(form);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ports_, &QComboBox::activated, this,
            [this](int index) { choosePort(ports_->itemText(index)); });
    connect(ports_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { choosePort(ports_->currentText()); });
    connect(ports_, &QComboBox::currentTextChanged, this, &SettingsWindow::showDetails);
    connect(saveButton_, &QToolButton::clicked, this, &SettingsWindow::save);
    connect(closeButton_, &QToolButton::clicked, this, &SettingsWindow::closeWithoutSaving);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &SettingsWindow::refreshLists);
    connect(&listing_, &QFutureWatcher<PortInventory>::finished, this, [this] {
        listingPending_ = false;
        if (!std::exchange(listingStale_, false)) showPorts(listing_.result());
    });
}

SettingsWindow::~SettingsWindow() {
    stopFollowing();
    listing_.waitForFinished();
}

void SettingsWindow::editSettings() {
    rememberedPort_ = ctx_.doc.programSettings().portName;
    showChecked(reverseReset_, ctx_.reverseReset());
    showPorts(inventory_); // the last list and the current name until the new list arrives
    startFollowing();
    exec();
    stopFollowing();
}

void SettingsWindow::startFollowing() {
    // The catalog calls back on a thread of its own until the watch is destroyed (before this
    // window is): the list is shown on the window's thread. A change heard while the first
    // reading runs makes that reading stale.
    watch_ = ctx_.portCatalog().watch([this](const PortInventory& inventory) {
        QMetaObject::invokeMethod(
            this,
            [this, inventory] {
                if (listingPending_) listingStale_ = true;
                showPorts(inventory);
            },
            Qt::QueuedConnection);
    });
    refreshLists();
    // Where the system tells nothing of its ports, a cheap look every second instead.
    if (!watch_) refresh_.start();
}

void SettingsWindow::stopFollowing() {
    refresh_.stop();
    watch_.reset();
}

void SettingsWindow::refreshLists() {
    // Reading the system's ports takes a while: never on the window's thread.
    if (listing_.isRunning()) return;
    listingPending_ = true;
    listingStale_ = false;
    PortCatalog* catalog = &ctx_.portCatalog();
    listing_.setFuture(QtConcurrent::run([catalog] { return catalog->inventory(); }));
}

void SettingsWindow::showPorts(const PortInventory& inventory) {
    inventory_ = inventory;
    QString unusable;
    for (const auto& a : inventory.withoutDriver) {
        if (!unusable.isEmpty()) unusable += QLatin1Char('\n');
        unusable += QStringLiteral("Bez portu: ") + qs(unusableAdapterDescription(a));
        if (!a.remedy.empty()) unusable += QStringLiteral(". ") + qs(a.remedy);
    }
    withoutDriver_->setText(unusable);
    withoutDriver_->setVisible(!unusable.isEmpty());
    if (ports_->lineEdit()->hasFocus() && ports_->lineEdit()->isModified()) return;
    std::vector<std::string> names;
    for (const auto& p : inventory.ports)
        names.push_back(p.name);
    showItems(ports_, names);
    showItems(hiddenPorts_, names);
    for (int i = 0; i < ports_->count(); ++i) {
        const QString description = qs(portEntryDescription(inventory.ports[std::size_t(i)]));
        ports_->setItemData(i, description, Qt::ToolTipRole);
        ports_->setItemData(i, description, Qt::AccessibleDescriptionRole);
    }
    const QString current = ctx_.portName();
    const int index = ports_->findText(current);
    showIndex(ports_, index);
    showIndex(hiddenPorts_, hiddenPorts_->findText(current));
    if (index < 0 && ports_->currentText() != current) {
        const QSignalBlocker block(ports_);
        ports_->setEditText(current);
    }
    showDetails();
}

// The chosen port's description first, then the other ports there are.
void SettingsWindow::showDetails() {
    const std::string chosen = ports_->currentText().trimmed().toStdString();
    QString text;
    if (const PortEntry* entry = inventory_.find(chosen)) {
        text = qs(chosen + ": " + portEntryDescription(*entry));
    } else if (!chosen.empty()) {
        text = qs(chosen) + QStringLiteral(": nie ma go teraz na liście portów systemu");
    }
    for (const auto& p : inventory_.ports) {
        if (p.name == chosen) continue;
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                qs(p.name + ": " + portEntryDescription(p));
    }
    if (inventory_.ports.empty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                QStringLiteral("W systemie nie ma portów szeregowych.");
    details_->setText(text);
    ports_->setToolTip(text.section(QLatin1Char('\n'), 0, 0));
}

void SettingsWindow::choosePort(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) return;
    ctx_.doc.setPortName(trimmed.toStdString());
    ports_->lineEdit()->setModified(false);
}

void SettingsWindow::save() {
    choosePort(ports_->currentText());
    const bool reverse = reverseReset_->isChecked();
    const PortSettingsSaved saved =
        savePortSettings(ctx_.doc.settingsDir(), {ctx_.doc.programSettings().portName, reverse});
    if (saved.ok) {
        ctx_.doc.setReverseReset(reverse);
        ctx_.ui.information(this, qs(saved.message));
    } else {
        ctx_.ui.error(this, qs(saved.message));
    }
    accept();
}

void SettingsWindow::closeWithoutSaving() {
    ctx_.doc.setPortName(rememberedPort_);
    showPorts(inventory_);
    accept();
}

void SettingsWindow::reject() {
    closeWithoutSaving();
}

} // namespace qv::gui
