#pragma once
// A machine's ports as a test sets them: plug() changes them and tells the watches, from a
// thread of their own as the system's catalog does. Without notifications (withWatch false)
// the window has to look by itself.
#include "link/port_catalog.hpp"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qv::gui::test {

class FakePortCatalog : public PortCatalog {
  public:
    explicit FakePortCatalog(PortInventory inventory = {}, bool withWatch = true);
    ~FakePortCatalog() override;

    PortInventory inventory() override;
    bool present(const std::string& name) override;
    std::unique_ptr<PortWatch> watch(ChangeListener onChange) override;

    // The new ports; every watch hears of them (from another thread) before this returns.
    void plug(PortInventory inventory);
    int watchesOpen() const;
    int inventoriesRead() const;

  private:
    struct Listener;
    mutable std::mutex mutex_;
    PortInventory inventory_;
    bool withWatch_;
    std::vector<std::shared_ptr<Listener>> listeners_;
    int reads_ = 0;
};

// A USB adapter ("/dev/ttyUSB0", FTDI) and a port that is none ("/dev/ttyS0").
PortEntry fakeAdapter(const std::string& name, const std::string& serial = "A50285BI");
PortEntry fakeBuiltInPort(const std::string& name);
UnusableAdapter fakeAdapterWithoutDriver();

} // namespace qv::gui::test
