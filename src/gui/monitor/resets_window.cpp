#include "gui/monitor/resets_window.hpp"

#include "monitor/monitor_commands.hpp"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
// As many lines as the monitor keeps in its own list.
constexpr int kListLines = 10000;
} // namespace

ResetsWindow::ResetsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TresetsForm"));
    setWindowTitle(QString::fromUtf8(kResetsCaption.data(), kResetsCaption.size()));
    list_ = new QPlainTextEdit(this);
    list_->setObjectName(QStringLiteral("Memo1"));
    list_->setAccessibleName(windowTitle());
    list_->setMaximumBlockCount(kListLines);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    resize(480, 300);
}

void ResetsWindow::appendLine(const QString& line) {
    list_->appendPlainText(line);
}

} // namespace qv::gui
