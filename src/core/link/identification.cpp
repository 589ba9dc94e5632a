#include "link/identification.hpp"

#include "common/cp1250.hpp"

namespace qv {

std::string filterIdentification(std::string_view raw) {
    std::string out;
    for (char c : raw)
        if (static_cast<unsigned char>(c) > 0x2E) out.push_back(c);
    return out;
}

int twoDigitNumber(std::string_view text, std::size_t pos) {
    if (pos + 2 > text.size()) return -1;
    const char a = text[pos];
    const char b = text[pos + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

DeviceIdentity parseIdentification(std::string_view filtered) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const auto slash = filtered.find('/', start);
        fields.push_back(filtered.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    auto field = [&](std::size_t n) { return n < fields.size() ? fields[n] : std::string_view{}; };
    const std::string_view model = fields.size() < 3 ? filtered : field(2);

    DeviceIdentity id;
    id.text = fromCp1250(filtered);
    id.magicChar = fromCp1250(field(0));
    id.bootLoaderId = fromCp1250(field(1));
    id.modelString = fromCp1250(model);
    id.serialNumber = fromCp1250(field(3));

    const auto underscore = model.find('_');
    std::size_t versionAt = 0;
    if (underscore != std::string_view::npos) {
        id.modelName = fromCp1250(model.substr(0, underscore));
        versionAt = underscore + 1;
    }
    id.firmwareVersion = twoDigitNumber(model, versionAt);
    id.subVersion = twoDigitNumber(model, versionAt + 2);
    id.platform = twoDigitNumber(field(3), 2);
    return id;
}

std::vector<std::string> identificationLogLines(const DeviceIdentity& id) {
    return {
        "FMRRAW           : " + id.modelString,  "Magic char       : " + id.magicChar,
        "BootLoader       : " + id.bootLoaderId, "Model urządzenia : " + id.modelName,
        "Numer seryjny    : " + id.serialNumber,
    };
}

bool bootloaderIsChecked(std::string_view bootLoaderIdCp1250) {
    return std::string_view(bootLoaderIdCp1250).compare("B") >= 0;
}

bool platformIsSupported(int platform) {
    return platform == 0 || platform == 3 || platform == 92 || platform == 93 || platform == 95;
}

std::string otherModuleMessage(std::string_view answered, std::string_view expected,
                               LinkMode mode) {
    const std::string shown = answered.empty() ? std::string("(brak)") : std::string(answered);
    const char* outcome = mode == LinkMode::writeConfig ? "konfiguracja nie została wysłana."
                                                        : "polecenie nie zostało wykonane.";
    return "Odpowiedział moduł o numerze seryjnym " + shown + ", a nie " + std::string(expected) +
           ": " + outcome;
}

} // namespace qv
