#include "gui/app/app_context.hpp"

#include "gui/main_window/password_form.hpp"
#include "platform/system_port.hpp"

namespace qv::gui {

AppContext::AppContext(std::string exeDir, UiServices& uiServices)
    : doc(clock, std::move(exeDir)), ui(uiServices) {
    doc.log().setListener(
        [this](const std::string& line) { Q_EMIT logLineAdded(QString::fromStdString(line)); });
}

void AppContext::clearLog() {
    doc.log().clear();
    Q_EMIT logCleared();
}

AppContext::~AppContext() = default;

PortCatalog& AppContext::portCatalog() {
    if (!portCatalog_) portCatalog_ = makeSystemPortCatalog();
    return *portCatalog_;
}

void AppContext::setPortCatalog(std::unique_ptr<PortCatalog> catalog) {
    portCatalog_ = std::move(catalog);
}

std::string AppContext::confirmPassword(QWidget* /*asking*/) {
    std::string& current = settings().password;
    if (current.empty()) return current;
    if (password) {
        current = password->confirm(QString::fromStdString(current)).toStdString();
        Q_EMIT settingsReplaced();
    }
    return current;
}

} // namespace qv::gui
