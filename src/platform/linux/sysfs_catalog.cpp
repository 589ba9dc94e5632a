#include "platform/linux/sysfs_catalog.hpp"

#include "link/usb_serial.hpp"
#include "platform/linux/sysfs_files.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <system_error>
#include <thread>

namespace qv {

namespace fs = std::filesystem;

namespace {

using sysfs::lowerHex;
using sysfs::readLine;

std::vector<fs::path> entries(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// Fills the USB fields from the first folder at or above `from` that has idVendor.
void describeUsb(fs::path at, PortEntry& e) {
    std::error_code ec;
    for (int up = 0; up < 4 && !at.empty(); ++up, at = at.parent_path()) {
        if (fs::exists(at / "idVendor", ec)) {
            e.vendorId = lowerHex(readLine(at / "idVendor"));
            e.productId = lowerHex(readLine(at / "idProduct"));
            e.manufacturer = readLine(at / "manufacturer");
            e.product = readLine(at / "product");
            e.serial = readLine(at / "serial");
            e.usbAdapter = !e.vendorId.empty();
            return;
        }
        if (at == at.parent_path()) return;
    }
}

// /dev/serial/by-id: the link that leads to each device node.
std::map<fs::path, std::string> stableNames(const fs::path& dev) {
    std::map<fs::path, std::string> names;
    std::error_code ec;
    for (const auto& link : entries(dev / "serial" / "by-id")) {
        const fs::path target = fs::canonical(link, ec);
        if (!ec && !names.count(target)) names[target] = link.string();
    }
    return names;
}

// Whether a tty lies below a USB device (ttyUSB0 below its interface, or tty/ttyACM0).
bool hasTtyBelow(const fs::path& device) {
    std::error_code ec;
    fs::recursive_directory_iterator it(device, fs::directory_options::skip_permission_denied, ec);
    for (fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        if (it.depth() > 3) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string name = it->path().filename().string();
        if (name.starts_with("tty") && name != "tty") return true;
    }
    return false;
}

// The driver bound to the device's interfaces ("1-2:1.0/driver"), if any.
std::string interfaceDriver(const fs::path& device) {
    std::error_code ec;
    const std::string prefix = device.filename().string() + ":";
    for (const auto& sub : entries(device)) {
        if (!sub.filename().string().starts_with(prefix)) continue;
        const fs::path driver = fs::read_symlink(sub / "driver", ec);
        if (!ec) return driver.filename().string();
    }
    return {};
}

std::vector<UnusableAdapter> adaptersWithoutTty(const fs::path& sys) {
    std::vector<UnusableAdapter> out;
    std::error_code ec;
    for (const auto& device : entries(sys / "bus" / "usb" / "devices")) {
        if (!fs::exists(device / "idVendor", ec)) continue; // an interface, not a device
        UnusableAdapter a;
        a.vendorId = lowerHex(readLine(device / "idVendor"));
        a.productId = lowerHex(readLine(device / "idProduct"));
        const auto chip = usbSerialChip(a.vendorId, a.productId);
        if (!chip || hasTtyBelow(fs::canonical(device, ec))) continue;
        a.product = readLine(device / "product");
        a.location = device.filename().string();
        const std::string driver = interfaceDriver(fs::canonical(device, ec));
        if (driver.empty()) {
            a.problem = "żaden sterownik go nie obsłużył (moduł jądra " + chip->linuxModule + ")";
            a.remedy = "Załaduj sterownik poleceniem: sudo modprobe " + chip->linuxModule +
                       "; potem odłącz adapter i podłącz go ponownie.";
        } else if (driver == "usbfs") {
            a.problem = "zajął go inny program przez usbfs";
            a.remedy = "Często to brltty (obsługa monitorów brajlowskich): sudo apt remove "
                       "brltty, potem odłącz adapter i podłącz go ponownie.";
        } else {
            a.problem = "obsługuje go sterownik " + driver + " zamiast " + chip->linuxModule;
        }
        out.push_back(std::move(a));
    }
    return out;
}

class InotifyWatch final : public PortWatch {
  public:
    InotifyWatch(SysfsPortCatalog& catalog, PortCatalog::ChangeListener onChange,
                 SysfsPortCatalog::Timing timing)
        : catalog_(catalog), onChange_(std::move(onChange)), timing_(timing) {
        last_ = catalog_.inventory();
        if (pipe2(stop_, O_CLOEXEC) != 0) stop_[0] = stop_[1] = -1;
        notify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        addWatches();
        thread_ = std::thread([this] { run(); });
    }
    ~InotifyWatch() override {
        if (stop_[1] >= 0) {
            const char byte = 0;
            [[maybe_unused]] const auto n = ::write(stop_[1], &byte, 1);
        }
        if (thread_.joinable()) thread_.join();
        for (int fd : {notify_, stop_[0], stop_[1]})
            if (fd >= 0) ::close(fd);
    }
    InotifyWatch(const InotifyWatch&) = delete;
    InotifyWatch& operator=(const InotifyWatch&) = delete;

  private:
    // Watches /dev, and /dev/serial and its by-id folder when they are there (udev makes
    // and removes them with the first and last adapter). Adding a watch twice is harmless.
    void addWatches() {
        if (notify_ < 0) return;
        constexpr auto kEvents = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO;
        const fs::path& dev = catalog_.roots().dev;
        for (const fs::path& dir : {dev, dev / "serial", dev / "serial" / "by-id"})
            inotify_add_watch(notify_, dir.c_str(), kEvents);
    }

    void drain() {
        alignas(inotify_event) char buffer[4096];
        while (::read(notify_, buffer, sizeof buffer) > 0) {
        }
    }

    void look() {
        addWatches();
        PortInventory now = catalog_.inventory();
        if (now == last_) return;
        last_ = std::move(now);
        onChange_(last_);
    }

    void run() {
        using Clock = std::chrono::steady_clock;
        const bool notified = notify_ >= 0;
        std::optional<Clock::time_point> pendingSince;
        for (;;) {
            int timeout = -1;
            if (!notified) {
                timeout = static_cast<int>(timing_.look.count());
            } else if (pendingSince) {
                const auto waited = Clock::now() - *pendingSince;
                timeout =
                    waited >= timing_.settleAtMost ? 0 : static_cast<int>(timing_.settle.count());
            }
            pollfd fds[2] = {{stop_[0], POLLIN, 0}, {notify_, POLLIN, 0}};
            const int ready = ::poll(fds, notified ? 2 : 1, timeout);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0 || (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) return;
            if (notified && (fds[1].revents & POLLIN)) {
                drain();
                if (!pendingSince) pendingSince = Clock::now();
                const bool overdue = Clock::now() - *pendingSince >= timing_.settleAtMost;
                if (!overdue) continue;
            }
            if (!notified || pendingSince) look();
            pendingSince.reset();
        }
    }

    SysfsPortCatalog& catalog_;
    PortCatalog::ChangeListener onChange_;
    SysfsPortCatalog::Timing timing_;
    PortInventory last_;
    int stop_[2] = {-1, -1};
    int notify_ = -1;
    std::thread thread_;
};

} // namespace

PortInventory SysfsPortCatalog::inventory() {
    PortInventory inv;
    std::error_code ec;
    const auto stable = stableNames(roots_.dev);
    for (const auto& tty : entries(roots_.sys / "class" / "tty")) {
        const fs::path device = tty / "device";
        if (!fs::exists(device, ec)) continue; // a virtual terminal or a pseudo-terminal
        // A serial-core port without a UART behind it (most of ttyS0..ttyS31).
        if (readLine(tty / "type") == "0") continue;
        const fs::path node = roots_.dev / tty.filename();
        if (!fs::exists(node, ec)) continue;
        PortEntry e;
        e.name = node.string();
        const fs::path driver = fs::read_symlink(device / "driver", ec);
        if (!ec) e.driver = driver.filename().string();
        describeUsb(fs::canonical(device, ec), e);
        const fs::path real = fs::canonical(node, ec);
        if (const auto it = stable.find(ec ? node : real); it != stable.end())
            e.stableName = it->second;
        inv.ports.push_back(std::move(e));
    }
    std::sort(inv.ports.begin(), inv.ports.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.name < b.name; });
    inv.withoutDriver = adaptersWithoutTty(roots_.sys);
    return inv;
}

bool SysfsPortCatalog::present(const std::string& name) {
    if (name.empty()) return false;
    std::error_code ec;
    const fs::path path = name.find('/') == std::string::npos ? roots_.dev / name : fs::path(name);
    return fs::exists(path, ec);
}

std::unique_ptr<PortWatch> SysfsPortCatalog::watch(ChangeListener onChange) {
    return std::make_unique<InotifyWatch>(*this, std::move(onChange), timing_);
}

} // namespace qv
