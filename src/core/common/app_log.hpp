#pragma once
#include "common/clock.hpp"

#include <functional>
#include <string>
#include <vector>

namespace qv {

// The application log: text lines, each beginning with the time of day "hh:nn:ss ".
class AppLog {
  public:
    using Listener = std::function<void(const std::string& line)>;

    explicit AppLog(const Clock& clock) : clock_(&clock) {}

    // Appends "hh:nn:ss " + text.
    void add(const std::string& text);
    // Empties the log (a double click on it); the next message becomes its first line.
    void clear() { lines_.clear(); }
    const std::vector<std::string>& lines() const { return lines_; }
    // Called with every new line (the window shows them as they come).
    void setListener(Listener l) { listener_ = std::move(l); }

  private:
    const Clock* clock_;
    std::vector<std::string> lines_;
    Listener listener_;
};

} // namespace qv
