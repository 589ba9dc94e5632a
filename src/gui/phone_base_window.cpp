#include "gui/phone_base_window.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

PhoneBaseWindow::PhoneBaseWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormAdd4kPhones"));
}

} // namespace qv::gui
