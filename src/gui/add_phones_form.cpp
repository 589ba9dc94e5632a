#include "gui/add_phones_form.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

AddPhonesForm::AddPhonesForm(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormAddPhones"));
}

void AddPhonesForm::editPhones() {
    exec();
}

} // namespace qv::gui
