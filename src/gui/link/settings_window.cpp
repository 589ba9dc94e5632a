#include "gui/link/settings_window.hpp"

#include "gui/app/accessibility.hpp"
#include "gui/app/app_context.hpp"
#include "gui/widgets/binding.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/window_placement.hpp"
#include "link/port_settings.hpp"
#include "platform/system_port.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace qv::gui {

SettingsWindow::SettingsWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), lister_([] { return qv::listSystemPortNames(); }) {
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

    auto* form = new QFormLayout;
    form->setContentsMargins(12, 10, 12, 12);
    form->addRow(QStringLiteral("Port:"), ports_);
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
    connect(saveButton_, &QToolButton::clicked, this, &SettingsWindow::save);
    connect(closeButton_, &QToolButton::clicked, this, &SettingsWindow::closeWithoutSaving);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &SettingsWindow::refreshLists);
    connect(&listing_, &QFutureWatcher<std::vector<std::string>>::finished, this,
            [this] { showPorts(listing_.result()); });
}

SettingsWindow::~SettingsWindow() {
    listing_.waitForFinished();
}

void SettingsWindow::editSettings() {
    rememberedPort_ = ctx_.doc.programSettings().portName;
    showChecked(reverseReset_, ctx_.reverseReset());
    showPorts({}); // the current name until the first listing arrives
    refreshLists();
    refresh_.start();
    exec();
    refresh_.stop();
}

void SettingsWindow::refreshLists() {
    // Listing the system's ports takes a while: never on the window's thread.
    if (listing_.isRunning()) return;
    listing_.setFuture(QtConcurrent::run(lister_));
}

void SettingsWindow::showPorts(const std::vector<std::string>& names) {
    if (ports_->lineEdit()->hasFocus() && ports_->lineEdit()->isModified()) return;
    showItems(ports_, names);
    showItems(hiddenPorts_, names);
    const QString current = ctx_.portName();
    const int index = ports_->findText(current);
    showIndex(ports_, index);
    showIndex(hiddenPorts_, hiddenPorts_->findText(current));
    if (index < 0 && ports_->currentText() != current) {
        const QSignalBlocker block(ports_);
        ports_->setEditText(current);
    }
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
    showPorts({});
    refreshLists();
    accept();
}

void SettingsWindow::reject() {
    closeWithoutSaving();
}

} // namespace qv::gui
