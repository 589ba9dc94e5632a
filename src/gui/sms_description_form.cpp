#include "gui/sms_description_form.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

SmsDescriptionForm::SmsDescriptionForm(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormSMSDescription"));
}

} // namespace qv::gui
