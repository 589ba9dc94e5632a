#include "sim/sim_port.hpp"

#include <algorithm>
#include <utility>

namespace qv {

SimPort::SimPort(SimModule& module, VirtualClock& clock)
    : module_(module), clock_(clock), virtual_(&clock) {}

SimPort::SimPort(SimModule& module, Clock& clock, RealTime) : module_(module), clock_(clock) {}

namespace {
constexpr const char* kIoError = "Input/output error";
constexpr const char* kGone = "No such device";
} // namespace

void SimPort::setFaults(SimPortFaults f) {
    std::lock_guard lock(mutex_);
    faults_ = f;
    vanished_ = false;
}

void SimPort::requireOpen() const {
    if (!open_) throw PortError("port not open");
    failWhenVanished();
}

void SimPort::failWhenVanished() const {
    if (vanished_) throw PortError(kGone);
}

void SimPort::noteRts(bool on) {
    if (rtsHistory_.size() >= kRtsHistoryLimit) rtsHistory_.erase(rtsHistory_.begin());
    rtsHistory_.push_back({clock_.now(), on});
}

void SimPort::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (open_) throw PortError("port already open");
    if (faults_.openFails || vanished_) throw PortError("No such file or directory");
    open_ = true;
    name_ = name;
    writes_ = 0;
    bytesWritten_ = 0;
    bytesRead_ = 0;
    lineEvents_ = {};
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

std::size_t SimPort::bytesRead() const {
    std::lock_guard lock(mutex_);
    return bytesRead_;
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
    if (rts_ && !on) {
        lineEvents_.breakReceived |= faults_.breakOnRelease;
        lineEvents_.receiveBuffer80Full |= faults_.rx80FullOnRelease;
    }
    rts_ = on;
    noteRts(on);
    module_.setReset(on, clock_.now());
    changed_.notify_all();
}

void SimPort::setReadBufferSize(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    readBufferSize_ = bytes;
}

std::size_t SimPort::readBufferSize() const {
    std::lock_guard lock(mutex_);
    return readBufferSize_;
}

PortLineEvents SimPort::takeLineEvents() noexcept {
    std::lock_guard lock(mutex_);
    return std::exchange(lineEvents_, PortLineEvents{});
}

void SimPort::raiseLineEvents(PortLineEvents events) {
    std::lock_guard lock(mutex_);
    lineEvents_.breakReceived |= events.breakReceived;
    lineEvents_.receiveBuffer80Full |= events.receiveBuffer80Full;
}

std::size_t SimPort::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    requireOpen();
    if (faults_.writeFailsAfter >= 0 && writes_ >= faults_.writeFailsAfter)
        throw PortError(kIoError);
    ++writes_;
    // The bytes before a failing one still go out.
    std::size_t count = bytes.size();
    const char* failure = nullptr;
    auto failAt = [&](int atByte, const char* reason) {
        if (atByte < 1) return;
        const auto allowed = static_cast<std::size_t>(atByte - 1);
        if (bytesWritten_ + count <= allowed) return;
        count = allowed > bytesWritten_ ? allowed - bytesWritten_ : 0;
        failure = reason;
    };
    failAt(faults_.writeFailsAtByte, kIoError);
    failAt(faults_.vanishesAtByte, kGone);
    module_.receive(bytes.first(count), clock_.now());
    bytesWritten_ += count;
    changed_.notify_all();
    if (failure == kGone) vanished_ = true;
    if (failure) throw PortError(failure);
    return bytes.size();
}

std::size_t SimPort::readAvailable(std::span<std::uint8_t> out) {
    std::lock_guard lock(mutex_);
    requireOpen();
    const auto now = clock_.now();
    if (faults_.readFailsAtByte > 0) {
        const auto allowed = static_cast<std::size_t>(faults_.readFailsAtByte - 1);
        if (bytesRead_ >= allowed) {
            if (module_.hasByte(now)) throw PortError(kIoError);
            return 0;
        }
        out = out.first(std::min(out.size(), allowed - bytesRead_));
    }
    const std::size_t n = module_.read(out, now);
    bytesRead_ += n;
    return n;
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
