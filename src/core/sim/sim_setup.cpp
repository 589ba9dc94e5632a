#include "sim/sim_setup.hpp"
#include "sim/sim_options.hpp"

#include "sim/monitor_stream.hpp"

#include "common/cp1250.hpp"
#include "common/file_io.hpp"

#include <charconv>

namespace qv {

namespace {

// An offset of the configuration image, 0..5119.
bool imageOffset(std::string_view text, int& field) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || v < 0 ||
        static_cast<std::size_t>(v) >= ConfigImage::kSize)
        return false;
    field = v;
    return true;
}

} // namespace

bool isSimPortName(std::string_view portName) {
    return portName == "sim" || portName.starts_with("sim:");
}

std::optional<SimPortSpec> parseSimPortSpec(std::string_view portName, std::string& error) {
    if (!isSimPortName(portName)) {
        error = "not a simulated port: " + std::string(portName);
        return std::nullopt;
    }
    SimPortSpec spec;
    for (const SimOption& option :
         splitSimOptions(portName.size() > 3 ? portName.substr(4) : std::string_view{})) {
        const std::string_view opt = option.text;
        const std::string_view key = option.key;
        const std::string_view value = option.value;
        const bool hasValue = option.hasValue;
        auto number = [&](int& field) {
            const auto n = positiveNumber(value);
            if (n) field = *n;
            return n.has_value();
        };
        bool ok = true;
        SimFaults& f = spec.options.faults;
        if (key == "state" && hasValue && !value.empty())
            spec.statePath = value;
        else if (key == "realtime" && !hasValue)
            spec.realtime = true;
        else if (key == "id" && hasValue)
            spec.options.identification = toCp1250(value);
        else if (key == "password" && hasValue && utf8Length(value) <= 4)
            spec.password = value;
        else if (key == "configured" && (value == "0" || value == "1"))
            spec.configured = value == "1";
        else if (key == "badpin" && !hasValue)
            spec.badPin = true;
        else if (key == "silent" && !hasValue)
            f.silent = true;
        else if (key == "zeros" && !hasValue)
            f.zeros = true;
        else if (key == "nostx" && !hasValue)
            f.noStx = true;
        else if (key == "noise" && !hasValue)
            f.noiseBeforeStx = true;
        else if (key == "noetx" && !hasValue)
            f.noEtx = true;
        else if (key == "deaf" && !hasValue)
            f.deaf = true;
        else if (key == "late" && hasValue)
            ok = number(f.lateByte);
        else if (key == "badecho" && hasValue)
            ok = number(f.badEchoByte);
        else if (key == "stop" && hasValue)
            ok = number(f.stopAtByte);
        else if (key == "openfail" && !hasValue)
            spec.portFaults.openFails = true;
        else if (key == "rtsfail" && !hasValue)
            spec.portFaults.rtsFails = true;
        else if (key == "writefail" && hasValue)
            ok = number(spec.portFaults.writeFailsAtByte);
        else if (key == "readfail" && hasValue)
            ok = number(spec.portFaults.readFailsAtByte);
        else if (key == "vanish" && hasValue)
            ok = number(spec.portFaults.vanishesAtByte);
        else if (key == "break" && !hasValue)
            spec.portFaults.breakOnRelease = true;
        else if (key == "rx80full" && !hasValue)
            spec.portFaults.rx80FullOnRelease = true;
        else if (key == "latency" && hasValue) {
            int ms = 0;
            ok = number(ms) && ms <= 1000;
            spec.options.adapterLatency = std::chrono::milliseconds(ms);
        } else if (key == "acloss" && hasValue)
            ok = number(spec.mainsLossSecond);
        else if (key == "inputalarm" && hasValue)
            ok = number(spec.inputAlarmSecond);
        else if (key == "changes" && value == "0")
            spec.inputChangeSeconds = 0;
        else if (key == "changes" && hasValue)
            ok = number(spec.inputChangeSeconds);
        else if (key == "corrupt" && hasValue)
            ok = imageOffset(value, f.corruptOffset);
        else
            ok = false;
        if (!ok) {
            error = "bad option of the simulated port: " + std::string(opt);
            return std::nullopt;
        }
    }
    return spec;
}

SimSetup::SimSetup(SimMemory memory, const SimPortSpec& spec)
    : statePath_(spec.statePath), module_(std::move(memory), spec.options) {
    if (spec.password) module_.memory().password = toCp1250(*spec.password);
    if (spec.configured) module_.memory().configured = *spec.configured;
    if (spec.realtime) {
        clock_ = std::make_unique<SystemClock>();
        port_ = std::make_unique<SimPort>(module_, *clock_, SimPort::RealTime{});
    } else {
        auto clock = std::make_unique<VirtualClock>();
        port_ = std::make_unique<SimPort>(module_, *clock);
        clock_ = std::move(clock);
    }
    port_->setFaults(spec.portFaults);
}

std::unique_ptr<SimSetup> SimSetup::create(const SimPortSpec& spec, std::string& error) {
    SimMemory memory;
    if (!spec.statePath.empty() && fileExists(spec.statePath)) {
        auto loaded = loadSimMemory(spec.statePath, error);
        if (!loaded) return nullptr;
        memory = std::move(*loaded);
    } else {
        memory = SimMemory::fresh();
    }
    auto setup = std::unique_ptr<SimSetup>(new SimSetup(std::move(memory), spec));
    // A running module prints its monitor lines, whoever opened the port.
    sim::MonitorStream::Options stream;
    stream.resetCause = spec.badPin ? 0x03 : 0xF0; // a wrong SIM PIN, or power-up
    stream.mainsLossSecond = spec.mainsLossSecond;
    stream.inputAlarmSecond = spec.inputAlarmSecond;
    stream.inputChangeSeconds = spec.inputChangeSeconds;
    setup->module().setApplicationStream(sim::makeMonitorApplicationStream(stream));
    return setup;
}

bool SimSetup::saveState(std::string& error) const {
    if (statePath_.empty()) return true;
    return saveSimMemory(module_.memory(), statePath_, error);
}

} // namespace qv
