#include "gui/memo_form.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

MemoForm::MemoForm(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormMemo"));
}

void MemoForm::clearLines() {}
void MemoForm::setCaption(const QString& caption) {
    setWindowTitle(caption);
}
void MemoForm::addLine(const QString&) {}
QStringList MemoForm::lines() const {
    return {};
}

} // namespace qv::gui
