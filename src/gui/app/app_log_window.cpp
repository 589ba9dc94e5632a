#include "gui/app/app_log_window.hpp"

#include "gui/app/app_context.hpp"
#include "gui/app/appearance.hpp"

#include <QPushButton>
#include <QVBoxLayout>

namespace qv::gui {

AppLogView::AppLogView(AppContext& ctx, QWidget* parent) : QPlainTextEdit(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("Memo1"));
    setAccessibleName(QStringLiteral("Dziennik programu"));
    setReadOnly(true);
    setFont(fixedPitchFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    reload();
    connect(&ctx_, &AppContext::logLineAdded, this, &QPlainTextEdit::appendPlainText);
    connect(&ctx_, &AppContext::logCleared, this, &QPlainTextEdit::clear);
}

void AppLogView::reload() {
    clear();
    for (const auto& line : ctx_.doc.log().lines())
        appendPlainText(QString::fromStdString(line));
}

void AppLogView::mouseDoubleClickEvent(QMouseEvent*) {
    ctx_.clearLog();
}

AppLogWindow::AppLogWindow(AppContext& ctx, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AppLogWindow"));
    setWindowTitle(QStringLiteral("Log"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new AppLogView(ctx, this));
    auto* hexDump = new QPushButton(QStringLiteral("Zrzut pamięci (hex)"), this);
    hexDump->setObjectName(QStringLiteral("hexDumpButton"));
    connect(hexDump, &QPushButton::clicked, this, [&ctx] { ctx.doc.hexDumpToLog(); });
    layout->addWidget(hexDump, 0, Qt::AlignLeft);
    resize(640, 420);
}

} // namespace qv::gui
