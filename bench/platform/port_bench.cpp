// The cost of the port list and of finding a port's holders on this machine: the list is read
// after every change the watch notices and once a port by `ports --verbose`; the holders are
// looked for after a port failure and per port by `ports --verbose` (every process's open
// files).
#include "platform/linux/port_access.hpp"
#include "platform/linux/sysfs_catalog.hpp"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

void BM_SysfsInventory(benchmark::State& state) {
    qv::SysfsPortCatalog catalog;
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog.inventory());
}
BENCHMARK(BM_SysfsInventory)->Unit(benchmark::kMicrosecond);

// A pseudo-terminal that no other program holds: every process is looked into.
void BM_PortHoldersOfAFreePort(benchmark::State& state) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const std::string slave = ptsname(master);
    bool hidden = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::linuxPortHolders(slave, {}, hidden));
    close(master);
}
BENCHMARK(BM_PortHoldersOfAFreePort)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
