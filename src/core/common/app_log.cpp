#include "common/app_log.hpp"

#include "common/text_format.hpp"

namespace qv {

void AppLog::add(const std::string& text) {
    lines_.push_back(formatDateTime(clock_->localTime(), "hh:nn:ss ") + text);
    if (listener_) listener_(lines_.back());
}

} // namespace qv
