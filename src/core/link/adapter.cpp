#include "link/adapter.hpp"

namespace qv {

std::string lowLatencyCommand(const AdapterDescription& d) {
    switch (d.system) {
    case AdapterSystem::sysfs:
        if (d.latencySetting.empty()) return {};
        return "echo " + std::to_string(kLowLatencyTimerMs) + " | sudo tee " + d.latencySetting;
    case AdapterSystem::windows:
        if (!d.found || !d.isFtdi() || d.latencySetting.empty()) return {};
        return "qvprog-cli adapter " + d.port + " --low-latency";
    case AdapterSystem::simulated:
        return "latency=" + std::to_string(kLowLatencyTimerMs);
    case AdapterSystem::other:
        break;
    }
    return {};
}

namespace {
// The four hex digits after tag ("VID_"), lower case; empty when there are none.
std::string hexAfter(const std::string& text, const std::string& tag) {
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto at = upper.find(tag);
    if (at == std::string::npos || at + tag.size() + 4 > upper.size()) return {};
    std::string hex = upper.substr(at + tag.size(), 4);
    for (char& c : hex) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = c >= 'A' && c <= 'F';
        if (!digit && !letter) return {};
        if (letter) c = static_cast<char>(c - 'A' + 'a');
    }
    return hex;
}
} // namespace

bool parseUsbInstanceId(const std::string& instanceId, std::string& vendorId,
                        std::string& productId) {
    vendorId = hexAfter(instanceId, "VID_");
    productId = hexAfter(instanceId, "PID_");
    return !vendorId.empty();
}

std::vector<std::string> adapterDescriptionLines(const AdapterDescription& d) {
    std::vector<std::string> lines;
    lines.push_back("Port: " + d.port);
    if (!d.found) {
        lines.push_back("Adapter: nie rozpoznano" + (d.note.empty() ? "" : " (" + d.note + ")"));
        return lines;
    }
    auto orUnknown = [](const std::string& s) { return s.empty() ? std::string("?") : s; };
    lines.push_back("Sterownik: " + orUnknown(d.driver));
    lines.push_back("USB: " + orUnknown(d.vendorId) + ":" + orUnknown(d.productId) +
                    (d.isFtdi() ? " (FTDI)" : "") + (d.product.empty() ? "" : ", " + d.product));
    lines.push_back("Opóźnienie (latency timer): " +
                    (d.latencyTimerMs ? std::to_string(*d.latencyTimerMs) + " ms" : "nieznane") +
                    (d.latencySetting.empty() ? "" : " (" + d.latencySetting + ")"));
    if (d.lowLatencyFlag)
        lines.push_back(std::string("Flaga low_latency: ") + (*d.lowLatencyFlag ? "tak" : "nie"));
    if (!d.note.empty()) lines.push_back(d.note);
    return lines;
}

} // namespace qv
