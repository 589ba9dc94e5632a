#include "platform/linux/modem_manager_advice.hpp"

namespace qv {

std::vector<std::string> modemManagerAdvice(const std::string& port,
                                            const AdapterDescription& adapter) {
    const bool known = !adapter.vendorId.empty() && !adapter.productId.empty();
    const std::string vendor = known ? adapter.vendorId : "VVVV";
    const std::string product = known ? adapter.productId : "PPPP";
    std::vector<std::string> lines = {
        "ModemManager może zajmować port " + port +
            ": sprawdza każdy nowy modem i wysyła mu własne polecenia.",
        "Zatrzymaj go na czas wysyłki:  sudo systemctl stop ModemManager",
        "albo wyłącz go dla tego modemu regułą udev w /etc/udev/rules.d/99-qvprog-modem.rules:",
        "  ATTRS{idVendor}==\"" + vendor + "\", ATTRS{idProduct}==\"" + product +
            "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"",
    };
    if (!known)
        lines.push_back("(VVVV i PPPP podaje: udevadm info -q property -n " + port +
                        " | grep -E 'ID_VENDOR_ID|ID_MODEL_ID')");
    lines.push_back("i wczytaj ją:  sudo udevadm control --reload && sudo udevadm trigger");
    return lines;
}

} // namespace qv
