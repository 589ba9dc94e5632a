#include "support/fake_port_catalog.hpp"

#include <algorithm>
#include <thread>

namespace qv::gui::test {

struct FakePortCatalog::Listener {
    ChangeListener onChange;
};

namespace {
class FakeWatch : public PortWatch {
  public:
    explicit FakeWatch(std::function<void()> stop) : stop_(std::move(stop)) {}
    ~FakeWatch() override { stop_(); }

  private:
    std::function<void()> stop_;
};
} // namespace

FakePortCatalog::FakePortCatalog(PortInventory inventory, bool withWatch)
    : inventory_(std::move(inventory)), withWatch_(withWatch) {}

FakePortCatalog::~FakePortCatalog() = default;

PortInventory FakePortCatalog::inventory() {
    const std::lock_guard lock(mutex_);
    ++reads_;
    return inventory_;
}

bool FakePortCatalog::present(const std::string& name) {
    const std::lock_guard lock(mutex_);
    return inventory_.find(name) != nullptr;
}

std::unique_ptr<PortWatch> FakePortCatalog::watch(ChangeListener onChange) {
    if (!withWatch_) return nullptr;
    auto listener = std::make_shared<Listener>(Listener{std::move(onChange)});
    const std::lock_guard lock(mutex_);
    listeners_.push_back(listener);
    return std::make_unique<FakeWatch>([this, listener] {
        const std::lock_guard lock(mutex_);
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener),
                         listeners_.end());
    });
}

void FakePortCatalog::plug(PortInventory inventory) {
    std::vector<std::shared_ptr<Listener>> listeners;
    {
        const std::lock_guard lock(mutex_);
        inventory_ = inventory;
        listeners = listeners_;
    }
    std::thread notifier([&] {
        for (const auto& l : listeners)
            l->onChange(inventory);
    });
    notifier.join();
}

int FakePortCatalog::watchesOpen() const {
    const std::lock_guard lock(mutex_);
    return int(listeners_.size());
}

int FakePortCatalog::inventoriesRead() const {
    const std::lock_guard lock(mutex_);
    return reads_;
}

PortEntry fakeAdapter(const std::string& name, const std::string& serial) {
    return {name, true, "0403", "6001", "FTDI", "FT232R USB UART", serial, "ftdi_sio", {}};
}

PortEntry fakeBuiltInPort(const std::string& name) {
    return {name, false, {}, {}, {}, {}, {}, "serial8250", {}};
}

UnusableAdapter fakeAdapterWithoutDriver() {
    return {
        "1a86", "7523", {}, "1-2", "brak sterownika", "Załaduj moduł ch341: sudo modprobe ch341"};
}

} // namespace qv::gui::test
