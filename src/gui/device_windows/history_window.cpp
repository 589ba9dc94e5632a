#include "gui/device_windows/history_window.hpp"

#include "config/messages.hpp"
#include "gui/app/app_context.hpp"
#include "gui/device_windows/history_grid.hpp"
#include "gui/link/link_window.hpp"
#include "gui/widgets/binding.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/tool_buttons.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace qv::gui {

HistoryWindow::HistoryWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("ThistoryForm"));
    setWindowTitle(QStringLiteral("Zawartość bufora zdarzeń"));
    setModal(true);

    auto* bar = new GradientToolBar(QStringLiteral("ToolBar1"), this);
    bar->setIconSize(QSize(24, 24));
    readButton_ = addCaptionedToolButton(bar, "ReadBufferButton", QStringLiteral("O&dczytaj bufor"),
                                         ToolIcon::Read);
    saveButton_ = addCaptionedToolButton(bar, "SaveFileButton", QStringLiteral("&Zapisz do pliku"),
                                         ToolIcon::Save);
    saveButton_->setEnabled(false); // until a buffer has been read or loaded
    bar->addSeparator();
    auto* close =
        addCaptionedToolButton(bar, "CloseButton", QStringLiteral("&Zamknij"), ToolIcon::Close);

    firmwareLabel_ = new QLabel(QStringLiteral("?"), this);
    firmwareLabel_->setObjectName(QStringLiteral("FirmwareLabel"));
    serialNumberLabel_ = new QLabel(QStringLiteral("?"), this);
    serialNumberLabel_->setObjectName(QStringLiteral("SerialNumberLabel"));
    for (QLabel* l : {firmwareLabel_, serialNumberLabel_}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        l->setTextFormat(Qt::PlainText); // what the module or a file name says, as it stands
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* labels = new QHBoxLayout;
    labels->setContentsMargins(8, 6, 8, 6);
    labels->setSpacing(6);
    labels->addWidget(new QLabel(QStringLiteral("Firmware:"), this));
    labels->addWidget(firmwareLabel_);
    labels->addSpacing(30);
    labels->addWidget(new QLabel(QStringLiteral("Nr seryjny:"), this));
    labels->addWidget(serialNumberLabel_);
    labels->addStretch(1);

    grid_ = new HistoryGrid(this);
    grid_->setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addLayout(labels);
    layout->addWidget(grid_, 1);
    // Wide enough for every column that can hold a value; the empty ones are scrolled to.
    int width = std::max(760, grid_->tableWidth(kHistoryColumns));
    if (const QScreen* s = screen()) width = std::min(width, s->availableGeometry().width() - 40);
    resize(width, 600);

    connect(readButton_, &QToolButton::clicked, this, &HistoryWindow::readBuffer);
    connect(saveButton_, &QToolButton::clicked, this, &HistoryWindow::saveToFile);
    connect(close, &QToolButton::clicked, this, &QDialog::accept);
}

void HistoryWindow::showEvent(QShowEvent* event) {
    grid_->resetColumnWidths();
    QDialog::showEvent(event);
}

void HistoryWindow::showTable(const HistoryTable& table, const QString& firmware,
                              const QString& serial) {
    grid_->historyModel().setTable(table);
    firmwareLabel_->setText(firmware);
    serialNumberLabel_->setText(serial);
    saveButton_->setEnabled(true);
}

void HistoryWindow::readBuffer() {
    if (!ctx_.link) return;
    const std::string password = ctx_.confirmPassword(this);
    if (ctx_.link->runSession(LinkMode::readEvents, password, kEventBufferLength) != 1) return;
    const LinkResults& r = ctx_.link->results();
    if (!r.eventBuffer) return;
    HistoryTable table;
    table.fill(*r.eventBuffer, r.status.eventPosition);
    showTable(table, qs(r.identity.modelString), qs(r.identity.serialNumber));
}

void HistoryWindow::showFileBuffer(const std::vector<std::uint8_t>& buffer) {
    // The ring position is the one the last session brought (0 before any): the rows are
    // sorted by time afterwards anyway.
    const int position = ctx_.link ? ctx_.link->results().status.eventPosition : 0;
    HistoryTable table;
    table.fill(buffer, position);
    table.sortByTime();
    showTable(table, QStringLiteral("?"), qs(ctx_.doc.configFileName()));
    ctx_.ui.information(parentWidget(), QString::fromUtf8(msg::kHistoryOpened));
}

void HistoryWindow::saveToFile() {
    const auto lines =
        historyFileLines(grid_->historyModel().table(), firmwareLabel_->text().toStdString(),
                         serialNumberLabel_->text().toStdString(), ctx_.clock.localTime());
    const QString path = ctx_.ui.saveFileName(this, QString(), qs(ctx_.doc.configDir()),
                                              QStringLiteral("TXT|*.txt"), QStringLiteral("txt"));
    if (path.isEmpty()) return;
    if (writeHistoryFile(path.toStdString(), lines))
        ctx_.ui.information(this, qs(std::string(kHistorySavedMessage)));
    else
        ctx_.ui.error(this, qs(std::string(kHistorySaveErrorMessage)));
}

} // namespace qv::gui
