#include "qtport/driver_line_state.hpp"

#if defined(__linux__) || defined(__APPLE__)
#include <sys/ioctl.h>
#endif
#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace qv {

std::optional<long long> driverQueuedBytes([[maybe_unused]] int fd) {
#if defined(__linux__) || defined(__APPLE__)
    int queued = 0;
    if (fd >= 0 && ioctl(fd, FIONREAD, &queued) == 0 && queued >= 0) return queued;
#endif
    return std::nullopt;
}

std::optional<long long> driverBreakCount([[maybe_unused]] int fd) {
#if defined(__linux__)
    serial_icounter_struct counts{};
    if (fd >= 0 && ioctl(fd, TIOCGICOUNT, &counts) == 0) return counts.brk;
#endif
    return std::nullopt;
}

} // namespace qv
