#include "platform/linux/sysfs_adapter.hpp"

#include "platform/linux/sysfs_files.hpp"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <system_error>

namespace qv {

namespace fs = std::filesystem;

namespace {

using sysfs::lowerHex;
using sysfs::readLine;

std::optional<int> readNumber(const fs::path& file) {
    const std::string text = readLine(file);
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || v < 0)
        return std::nullopt;
    return v;
}

} // namespace

AdapterDescription SysfsAdapterTuner::describe(const std::string& port) {
    AdapterDescription d;
    d.system = AdapterSystem::sysfs;
    d.port = port;
    const std::string name = fs::path(port).filename().string();
    std::error_code ec;
    const fs::path tty = root_ / "class" / "tty" / name;
    if (name.empty() || !fs::exists(tty, ec)) {
        d.note = "brak portu " + name + " w " + (root_ / "class" / "tty").string();
        return d;
    }
    const fs::path device = tty / "device";
    if (!fs::exists(device, ec)) {
        d.note = "port bez urządzenia w sysfs (np. pseudoterminal)";
        return d;
    }
    d.found = true;
    const fs::path driver = fs::read_symlink(device / "driver", ec);
    if (!ec) d.driver = driver.filename().string();
    if (fs::exists(device / "latency_timer", ec)) {
        d.latencySetting = (device / "latency_timer").string();
        d.latencyTimerMs = readNumber(device / "latency_timer");
    }
    // The USB device: the first folder above the port's that has idVendor.
    fs::path at = fs::canonical(device, ec);
    for (int up = 0; !ec && up < 4 && !at.empty(); ++up, at = at.parent_path()) {
        if (fs::exists(at / "idVendor", ec)) {
            d.vendorId = lowerHex(readLine(at / "idVendor"));
            d.productId = lowerHex(readLine(at / "idProduct"));
            d.product = readLine(at / "product");
            break;
        }
        if (at == at.parent_path()) break;
    }
    if (d.vendorId.empty()) {
        d.found = false;
        d.note = "nie jest to adapter USB" + (d.driver.empty() ? "" : ", sterownik " + d.driver);
    } else {
        d.note = "Flaga low_latency: program ustawia ją przy każdym otwarciu portu.";
    }
    return d;
}

AdapterChange SysfsAdapterTuner::setLowLatency(const std::string& port) {
    AdapterChange change;
    const AdapterDescription d = describe(port);
    if (d.latencySetting.empty()) {
        change.lines.push_back(d.found
                                   ? "Sterownik " + d.driver +
                                         " nie ma ustawienia latency_timer: nie ma czego zmienić."
                                   : "Nie rozpoznano adaptera portu " + port +
                                         (d.note.empty() ? "." : " (" + d.note + ")."));
        return change;
    }
    const std::string found =
        d.latencyTimerMs ? std::to_string(*d.latencyTimerMs) + " ms" : std::string("nieznane");
    if (d.latencyTimerMs == kLowLatencyTimerMs) {
        change.outcome = AdapterChange::Outcome::done;
        change.lines.push_back("latency_timer: " + found + " - już najmniejsze (" +
                               d.latencySetting + ").");
        return change;
    }
    int error = 0;
    {
        std::ofstream out(d.latencySetting);
        if (out) out << kLowLatencyTimerMs << '\n';
        out.flush();
        if (!out) error = errno ? errno : EIO;
    }
    if (error == 0) {
        const auto now = readNumber(d.latencySetting);
        change.outcome = AdapterChange::Outcome::done;
        change.lines.push_back("latency_timer: było " + found + ", ustawiono " +
                               (now ? std::to_string(*now) : std::string("?")) + " ms (" +
                               d.latencySetting + ").");
        return change;
    }
    change.outcome = AdapterChange::Outcome::needsAdministrator;
    change.lines.push_back("latency_timer: " + found + "; nie można zapisać " + d.latencySetting +
                           " (" + std::strerror(error) + ").");
    change.lines.push_back("Wykonaj jako root: " + lowLatencyCommand(d));
    return change;
}

} // namespace qv
