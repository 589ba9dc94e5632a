#include "sim/sim_port.hpp"

namespace qv {

SimPort::SimPort(SimModule& module, VirtualClock& clock)
    : module_(module), clock_(clock), virtual_(&clock) {}

SimPort::SimPort(SimModule& module, Clock& clock, RealTime) : module_(module), clock_(clock) {}

void SimPort::requireOpen() const {
    if (!open_) throw PortError("port not open");
}

void SimPort::noteRts(bool on) {
    if (rtsHistory_.size() >= kRtsHistoryLimit) rtsHistory_.erase(rtsHistory_.begin());
    rtsHistory_.push_back({clock_.now(), on});
}

void SimPort::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (open_) throw PortError("port already open");
    if (faults_.openFails) throw PortError("No such file or directory");
    open_ = true;
    name_ = name;
    writes_ = 0;
    // DTR and RTS are driven off right after opening: the module's reset line is released.
    rts_ = false;
    noteRts(false);
    module_.setReset(false, clock_.now());
}

void SimPort::close() noexcept {
    std::lock_guard lock(mutex_);
    open_ = false;
    changed_.notify_all();
}

bool SimPort::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

std::string SimPort::name() const {
    std::lock_guard lock(mutex_);
    return name_;
}

bool SimPort::rts() const {
    std::lock_guard lock(mutex_);
    return rts_;
}

std::vector<SimPort::RtsChange> SimPort::rtsHistory() const {
    std::lock_guard lock(mutex_);
    return rtsHistory_;
}

void SimPort::setBaudRate(int baud) {
    std::lock_guard lock(mutex_);
    requireOpen();
    if (baud != kLinkBaudRate) throw PortError("the module talks at 115200 baud only");
}

void SimPort::purge(bool receive, bool) {
    std::lock_guard lock(mutex_);
    requireOpen();
    if (receive) module_.purgeReceived(clock_.now());
}

void SimPort::setRts(bool on) {
    std::lock_guard lock(mutex_);
    requireOpen();
    if (faults_.rtsFails) throw PortError("Inappropriate ioctl for device");
    rts_ = on;
    noteRts(on);
    module_.setReset(on, clock_.now());
    changed_.notify_all();
}

std::size_t SimPort::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    requireOpen();
    if (faults_.writeFailsAfter >= 0 && writes_ >= faults_.writeFailsAfter)
        throw PortError("Input/output error");
    ++writes_;
    module_.receive(bytes, clock_.now());
    changed_.notify_all();
    return bytes.size();
}

std::size_t SimPort::readAvailable(std::span<std::uint8_t> out) {
    std::lock_guard lock(mutex_);
    requireOpen();
    return module_.read(out, clock_.now());
}

bool SimPort::waitReadable(Clock::Duration timeout) {
    std::unique_lock lock(mutex_);
    requireOpen();
    const auto deadline = clock_.now() + timeout;
    for (;;) {
        const auto now = clock_.now();
        if (module_.hasByte(now)) return true;
        if (now >= deadline || !open_) return false;
        auto target = deadline;
        if (const auto next = module_.nextEvent(now); next && *next > now && *next < deadline)
            target = *next;
        if (virtual_) {
            virtual_->advanceTo(target);
        } else {
            // Woken early by a write or a reset from another thread.
            changed_.wait_until(
                lock, std::chrono::time_point<std::chrono::steady_clock, Clock::Duration>(target));
        }
    }
}

} // namespace qv
