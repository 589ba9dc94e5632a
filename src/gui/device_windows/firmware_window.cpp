#include "gui/device_windows/firmware_window.hpp"

#include "gui/app/app_context.hpp"
#include "gui/app/appearance.hpp"
#include "gui/link/link_window.hpp"
#include "gui/widgets/binding.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/tool_buttons.hpp"
#include "link/firmware.hpp"

#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
const QString kChosenFileLine = QStringLiteral("Wybrany plik z oprogramowanie urządzenia:");
const QString kNoFileLine = QStringLiteral("Nie wybrano pliku z oprogramowaniem urządzenia.");
const QString kUnreadableFileLine = QStringLiteral("Nie udało się wczytać pliku:");
} // namespace

FirmwareWindow::FirmwareWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TfirmwareForm"));
    setWindowTitle(QStringLiteral("Firmware updater"));
    setModal(true);

    auto* bar = new GradientToolBar(QStringLiteral("ToolBar1"), this);
    bar->setIconSize(QSize(24, 24));
    auto* open =
        addCaptionedToolButton(bar, "ToolButton3", QStringLiteral("&Otwórz plik"), ToolIcon::Open);
    auto* ask = addCaptionedToolButton(bar, "ToolButton1", QStringLiteral("&Spytaj o wersję"),
                                       ToolIcon::Identify);
    sendFirmwareButton_ = addCaptionedToolButton(
        bar, "sendFirmwareButton", QStringLiteral("&Wgraj firmware"), ToolIcon::Firmware);
    bar->addSeparator();
    addCaptionedToolButton(bar, "ToolButton8", QStringLiteral("&Pomoc"), ToolIcon::Help);
    auto* close =
        addCaptionedToolButton(bar, "ToolButton7", QStringLiteral("&Zamknij"), ToolIcon::Close);

    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("Memo1"));
    log_->setAccessibleName(QStringLiteral("Przebieg aktualizacji"));
    log_->setReadOnly(true);
    log_->setFont(fixedPitchFont());
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(log_, 1);
    resize(620, 300);

    connect(open, &QToolButton::clicked, this, &FirmwareWindow::chooseFile);
    connect(ask, &QToolButton::clicked, this, &FirmwareWindow::askVersion);
    connect(sendFirmwareButton_, &QToolButton::clicked, this, &FirmwareWindow::uploadFirmware);
    connect(close, &QToolButton::clicked, this, &QDialog::accept);
}

void FirmwareWindow::showEvent(QShowEvent* event) {
    log_->clear();
    const QString chosen = ctx_.link ? qs(ctx_.link->inputs().firmwareFile) : QString();
    sendFirmwareButton_->setEnabled(!chosen.isEmpty());
    if (!chosen.isEmpty()) {
        log_->appendPlainText(kChosenFileLine);
        log_->appendPlainText(chosen);
    } else if (ctx_.link && !ctx_.link->unreadableFirmwareFile().empty()) {
        // The file chosen before could not be read: it is no longer offered for upload.
        log_->appendPlainText(kNoFileLine);
        log_->appendPlainText(kUnreadableFileLine);
        log_->appendPlainText(qs(ctx_.link->unreadableFirmwareFile()));
    }
    QDialog::showEvent(event);
}

void FirmwareWindow::chooseFile() {
    if (!ctx_.link) return;
    log_->clear(); // also when the choice is cancelled; an earlier choice stays in force
    const QString current = qs(ctx_.link->inputs().firmwareFile);
    const QString path = ctx_.ui.openFileName(this, QStringLiteral("Pliki binarne"),
                                              current.isEmpty() ? qs(ctx_.doc.configDir())
                                                                : QFileInfo(current).absolutePath(),
                                              QStringLiteral("*.bin|*.bin"));
    if (path.isEmpty()) return;
    showChosenFile(QFileInfo(path).absoluteFilePath());
}

void FirmwareWindow::showChosenFile(const QString& path) {
    ctx_.link->inputs().firmwareFile = ss(path);
    log_->clear();
    log_->appendPlainText(kChosenFileLine);
    log_->appendPlainText(path);
    for (const auto& line : firmwareFileNameLines(parseFirmwareFileName(ss(path))))
        log_->appendPlainText(qs(line));
    sendFirmwareButton_->setEnabled(true);
}

void FirmwareWindow::askVersion() {
    runAndClose(LinkMode::identify);
}

void FirmwareWindow::uploadFirmware() {
    if (!sendFirmwareButton_->isEnabled()) return;
    runAndClose(LinkMode::uploadFirmware);
}

void FirmwareWindow::runAndClose(LinkMode mode) {
    if (!ctx_.link) return;
    // Neither mode sends a password or uses a transfer length; only the mode changes.
    ctx_.link->request().mode = mode;
    ctx_.link->runSession();
    accept();
}

void FirmwareWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        accept();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace qv::gui
