#include "platform/port_target.hpp"

#include "platform/system_port.hpp"

namespace qv {

std::unique_ptr<PortTarget> PortTarget::create(const std::string& portName, std::string& error) {
    auto target = std::unique_ptr<PortTarget>(new PortTarget);
    if (isSimModemPortName(portName)) {
        const auto options = parseSimModemPortName(portName, error);
        if (!options) return nullptr;
        target->modem_ = std::make_unique<SimModemPort>(*options);
        target->systemTuner_ = makeSystemAdapterTuner();
        target->openName_ = "sim-modem";
        return target;
    }
    if (isSimPortName(portName)) {
        const auto spec = parseSimPortSpec(portName, error);
        if (!spec) return nullptr;
        target->sim_ = SimSetup::create(*spec, error);
        if (!target->sim_) return nullptr;
        target->openName_ = "sim";
        return target;
    }
    target->real_ = makeSystemSerialPort();
    target->systemTuner_ = makeSystemAdapterTuner();
    target->openName_ = portName;
    return target;
}

bool PortTarget::saveState(std::string& error) const {
    return !sim_ || sim_->saveState(error);
}

} // namespace qv
