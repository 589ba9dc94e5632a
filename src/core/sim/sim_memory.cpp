#include "sim/sim_memory.hpp"

#include "common/file_io.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/memmap.hpp"
#include "config/settings.hpp"
#include "link/link_types.hpp"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace qv {

namespace {

constexpr int kEventRecord = 40;
constexpr const char* kFormat = "qvprog-sim-module-1";

void putEvent(std::vector<std::uint8_t>& events, int slot, std::uint8_t code, int minute) {
    std::uint8_t* r = events.data() + slot * kEventRecord;
    std::fill(r, r + kEventRecord, 0);
    r[1] = 0x03; // base phone: CLIP and SMS made
    r[5] = 24;   // 2024-01-01 hh:mm
    r[6] = 1;
    r[7] = 1;
    r[8] = 11;
    r[9] = static_cast<std::uint8_t>(minute);
    r[12] = code;
    r[13] = 0x7F; // every input at rest
    r[14] = 0xFF;
    r[16] = 230; // 23.0 V
    r[17] = 136; // 13.6 V
    r[21] = 20;
}

std::string toHex(const std::uint8_t* p, std::size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool fromHex(const std::string& s, std::vector<std::uint8_t>& out) {
    if (s.size() % 2) return false;
    out.resize(s.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int hi = hexDigit(s[2 * i]);
        const int lo = hexDigit(s[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

} // namespace

SimMemory SimMemory::fresh() {
    SimMemory m;
    Settings settings;
    applyDefaults(settings);
    form2tab(settings, m.image, "", "2024-01-01 12:00:00");
    m.password = passwordOf(m.image);
    m.events.assign(kEventBufferLength, 0xFF);
    putEvent(m.events, 0, 1, 0);  // TEST przyciskiem
    putEvent(m.events, 1, 2, 5);  // AC - ALARM
    putEvent(m.events, 2, 18, 7); // AC - POWRÓT
    m.eventPosition = 3;
    auto base = emptyPhoneBaseBuffer();
    base.resize(kPhoneBaseLength);
    m.phoneBase = std::move(base);
    return m;
}

void SimMemory::erase() {
    configured = false;
    password.clear();
    image = ConfigImage();
    events.assign(kEventBufferLength, 0xFF);
    eventPosition = 0;
}

std::string SimMemory::passwordOf(const ConfigImage& image) {
    std::string p;
    for (int k = 0; k < memmap::wPASSWORD && image[memmap::oPASSWORD + k] != 0; ++k)
        p.push_back(static_cast<char>(image[memmap::oPASSWORD + k]));
    return p;
}

std::optional<SimMemory> loadSimMemory(const std::string& path, std::string& error) {
    // Every block in hexadecimal comes to about 220 kB; anything much larger is not a state.
    const ReadResult file = readFileLimited(path, 1024 * 1024);
    if (!file.ok()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    const auto j = nlohmann::json::parse(file.bytes, nullptr, false);
    const auto format = j.is_object() ? j.find("format") : j.end();
    if (j.is_discarded() || !j.is_object() || format == j.end() || !format->is_string() ||
        format->get<std::string>() != kFormat) {
        error = path + " is not a simulated module's state file";
        return std::nullopt;
    }
    auto block = [&](const char* key, std::size_t size, std::vector<std::uint8_t>& out,
                     bool exact) {
        const auto it = j.find(key);
        if (it == j.end() || !it->is_string() || !fromHex(it->get<std::string>(), out) ||
            (exact ? out.size() != size : out.size() > size)) {
            error = path + ": bad field \"" + key + "\"";
            return false;
        }
        return true;
    };
    SimMemory m;
    std::vector<std::uint8_t> image, password;
    if (!block("config", ConfigImage::kSize, image, true) ||
        !block("events", kEventBufferLength, m.events, true) ||
        !block("phoneBase", kPhoneBaseLength, m.phoneBase, true) ||
        !block("password", 4, password, false) || !block("firmware", 64 * 1024, m.firmware, false))
        return std::nullopt;
    std::copy(image.begin(), image.end(), m.image.data());
    m.password.assign(password.begin(), password.end());

    const auto configured = j.find("configured");
    const auto position = j.find("eventPosition");
    const auto counters = j.find("counters");
    if (configured == j.end() || !configured->is_boolean() || position == j.end() ||
        !position->is_number_unsigned() || position->get<std::uint64_t>() > 255 ||
        counters == j.end() || !counters->is_array() || counters->size() != kCounterCount) {
        error = path + ": bad state fields";
        return std::nullopt;
    }
    m.configured = configured->get<bool>();
    m.eventPosition = static_cast<std::uint8_t>(position->get<std::uint64_t>());
    for (std::size_t n = 0; n < kCounterCount; ++n) {
        const auto& c = (*counters)[n];
        if (!c.is_number_unsigned() || c.get<std::uint64_t>() > 0xFFFFFFFFULL) {
            error = path + ": bad counter";
            return std::nullopt;
        }
        m.counters[n] = static_cast<std::uint32_t>(c.get<std::uint64_t>());
    }
    return m;
}

bool saveSimMemory(const SimMemory& m, const std::string& path, std::string& error) {
    nlohmann::json j;
    j["format"] = kFormat;
    j["configured"] = m.configured;
    j["eventPosition"] = m.eventPosition;
    j["counters"] = m.counters;
    j["password"] =
        toHex(reinterpret_cast<const std::uint8_t*>(m.password.data()), m.password.size());
    j["config"] = toHex(m.image.data(), m.image.size());
    j["events"] = toHex(m.events.data(), m.events.size());
    j["phoneBase"] = toHex(m.phoneBase.data(), m.phoneBase.size());
    j["firmware"] = toHex(m.firmware.data(), m.firmware.size());
    const std::string tmp = path + ".tmp";
    const auto tmpPath = pathFromUtf8(tmp);
    const auto target = pathFromUtf8(path);
    if (!tmpPath || !target) {
        error = "cannot write " + path;
        return false;
    }
    {
        std::ofstream out(*tmpPath, std::ios::binary | std::ios::trunc);
        out << j.dump(1) << '\n';
        if (!out.flush()) {
            error = "cannot write " + tmp;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(*tmpPath, *target, ec);
    if (ec) {
        error = "cannot write " + path + ": " + ec.message();
        std::filesystem::remove(*tmpPath, ec);
        return false;
    }
    return true;
}

} // namespace qv
