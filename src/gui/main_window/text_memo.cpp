#include "gui/main_window/text_memo.hpp"

#include "gui/app/appearance.hpp"
#include "gui/widgets/window_placement.hpp"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qv::gui {

TextWindow::TextWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(caption);
    centreOnScreenWhenShown(this);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setAccessibleName(caption);
    memo_->setFont(fixedPitchFont());
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo_);
}

} // namespace qv::gui
