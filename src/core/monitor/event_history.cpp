#include "monitor/event_history.hpp"

#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "common/text_format.hpp"

#include <algorithm>

namespace qv {

namespace {

constexpr std::array<std::string_view, 33> kEventNames = {
    "",
    "TEST przyciskiem",
    "AC - ALARM",
    "Akumulator - ALARM",
    "GSM - ALARM",
    "WE 1 - ALARM",
    "WE 2 - ALARM",
    "WE 3 - ALARM",
    "WE 4 - ALARM",
    "WE 5 - ALARM",
    "EX 1 - ALARM",
    "EX 2 - ALARM",
    "EX 3 - ALARM",
    "EX 4 - ALARM",
    "EX 5 - ALARM",
    "EX 6 - ALARM",
    "WE 12 - ALARM",
    "TEST Automatyczny",
    "AC - POWRÓT",
    "Akumulator - POWRÓT",
    "GSM - POWRÓT",
    "WE 1 - POWRÓT",
    "WE 2 - POWRÓT",
    "WE 3 - POWRÓT",
    "WE 4 - POWRÓT",
    "WE 5 - POWRÓT",
    "EX 1 - POWRÓT",
    "EX 2 - POWRÓT",
    "EX 3 - POWRÓT",
    "EX 4 - POWRÓT",
    "EX 5 - POWRÓT",
    "EX 6 - POWRÓT",
    "WE 12 - POWRÓT",
};

constexpr std::array<std::string_view, kHistoryColumns> kHeader = {
    "L.P.", "Data", "Akcja", "GPRS", "Tel. baz.", "Tel. pr1", "Tel. pr2", "Tel. pr3", "Wejścia",
    "Wyj.", "Vac",  "Vaccu", "VA3",  "VA4",       "Temp",     "CSQ",      "Centr."};

// Text widths of the columns in the history text file.
constexpr std::array<std::size_t, kHistoryColumns> kTextWidths = {4, 19, 19, 10, 10, 10, 10, 10, 10,
                                                                  4, 5,  5,  5,  5,  4,  3,  6};

constexpr std::string_view kRule = "-----------------------------------";

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

} // namespace

LocalDateTime eventTimeStamp(std::span<const std::uint8_t, 7> t) {
    LocalDateTime base = kDateZero;
    const int year = 2000 + t[0];
    const int month = t[1], day = t[2], hour = t[3], minute = t[4], second = t[5];
    const bool valid = t[0] < 100 && month >= 1 && month <= 12 && day >= 1 &&
                       day <= daysInMonth(year, month) && hour <= 23 && minute <= 59 &&
                       second <= 59;
    if (valid) base = LocalDateTime{year, month, day, hour, minute, second, 0};
    return addSeconds(base, t[6]);
}

std::string_view eventName(int code) {
    if (code < 0 || code >= static_cast<int>(kEventNames.size())) return {};
    return kEventNames[static_cast<std::size_t>(code)];
}

std::string notificationStatusText(std::uint8_t s) {
    std::string out;
    if (s & 0x02) out += (s & 0x20) ? "C:ER " : "C:OK ";
    if (s & 0x01) out += (s & 0x10) ? "S:ER" : "S:OK";
    return out;
}

std::string eventVoltageText(std::uint8_t tenths) {
    std::string digits = zeroPadded(tenths, 2);
    digits.insert(digits.size() - 1, 1, '.');
    digits.push_back('V');
    return digits;
}

std::string inputWordText(std::uint8_t high, std::uint8_t low) {
    const unsigned word = (static_cast<unsigned>(high) << 8) | low;
    std::string out;
    out.reserve(16);
    for (int bit = 0; bit < 15; ++bit) {
        out.push_back((word >> bit) & 1u ? '0' : '1');
        if (bit == 3) out.push_back(' ');
    }
    return out;
}

void HistoryTable::fill(std::span<const std::uint8_t> buffer, int nextSlot) {
    const int h = ((nextSlot % kEventSlots) + kEventSlots) % kEventSlots;
    for (int r = 1; r <= kEventSlots; ++r) {
        HistoryRow& row = rows[static_cast<std::size_t>(r - 1)];
        int slot = h - r;
        while (slot < 0)
            slot += kEventSlots;
        for (auto& c : row.cells)
            c.clear();
        row.cells[0] = zeroPadded(r, 3);
        row.time = kDateZero;

        const std::size_t start = static_cast<std::size_t>(slot) * kEventRecordSize;
        if (start + kEventRecordSize > buffer.size()) continue;
        const auto rec = buffer.subspan(start, kEventRecordSize);
        if (rec[event_byte::kBaseStatus] == kEmptySlotMarker) continue;

        row.time = eventTimeStamp(rec.subspan<event_byte::kYear, 7>());
        row.cells[1] = formatProgDate(row.time);
        const int code = rec[event_byte::kCode];
        row.cells[2] = code == kDtmfEventCode ? std::string("DTMF") : std::string(eventName(code));
        for (std::size_t phone = 0; phone < 4; ++phone)
            row.cells[4 + phone] = notificationStatusText(rec[event_byte::kBaseStatus + phone]);
        row.cells[8] = inputWordText(rec[event_byte::kInputsHigh], rec[event_byte::kInputsLow]);
        row.cells[9] = (rec[event_byte::kOutput] & 1u) ? "1" : "0";
        row.cells[10] = eventVoltageText(rec[event_byte::kAc]);
        row.cells[11] = eventVoltageText(rec[event_byte::kAccu]);
        row.cells[12] = eventVoltageText(rec[event_byte::kAnalog3]);
        row.cells[13] = eventVoltageText(rec[event_byte::kAnalog4]);
        row.cells[14] = std::to_string(rec[event_byte::kTemperature]);
        row.cells[15] = std::to_string(rec[event_byte::kSignal]);
        row.cells[16] = std::to_string(rec[event_byte::kPanel]);
    }
}

void HistoryTable::sortByTime() {
    // Adjacent exchanges only when strictly later: a stable ordering, as the window's bubble sort.
    std::array<HistoryRow, kEventSlots> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const HistoryRow& a, const HistoryRow& b) { return a.time < b.time; });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string number = std::move(rows[i].cells[0]);
        rows[i] = std::move(sorted[i]);
        rows[i].cells[0] = std::move(number);
    }
}

std::array<std::string, kHistoryColumns> historyHeader() {
    std::array<std::string, kHistoryColumns> h;
    for (std::size_t i = 0; i < h.size(); ++i)
        h[i] = std::string(kHeader[i]);
    return h;
}

std::vector<std::string> historyFileLines(const HistoryTable& table, std::string_view firmware,
                                          std::string_view serialNumber,
                                          const LocalDateTime& readDate) {
    std::vector<std::string> lines;
    lines.reserve(kEventSlots + 8);
    lines.emplace_back(kRule);
    lines.push_back("Firmware      : " + std::string(firmware));
    lines.push_back("Numer seryjny : " + std::string(serialNumber));
    lines.push_back("Data odczytu  : " + formatProgDate(readDate));
    lines.emplace_back(kRule);
    lines.emplace_back();
    auto rowLine = [](const std::array<std::string, kHistoryColumns>& cells) {
        std::string line = "|";
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += cells[c];
            const std::size_t len = utf8Length(cells[c]);
            if (len < kTextWidths[c]) line.append(kTextWidths[c] - len, ' ');
            line.push_back('|');
        }
        return line;
    };
    lines.push_back(rowLine(historyHeader()));
    for (const auto& row : table.rows)
        lines.push_back(rowLine(row.cells));
    return lines;
}

bool writeHistoryFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes.append(toCp1250(line)).append("\r\n");
    // Through a temporary file: a failed write leaves an existing file as it was.
    return !writeFileAtomic(path, bytes).has_value();
}

std::optional<std::string> writeRawEventBuffer(const std::string& path,
                                               std::span<const std::uint8_t> events) {
    if (writeFileAtomic(path, std::string(events.begin(), events.end())))
        return "Błąd zapisu: " + path;
    return std::nullopt;
}

} // namespace qv
