#pragma once
// The module's event buffer: a ring of 200 records of 40 bytes. This file decodes single records
// (shared with the live monitor's event lines), fills and sorts the history table and writes the
// history text file.
#include "common/clock.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr int kEventSlots = 200;
inline constexpr std::size_t kEventRecordSize = 40;
inline constexpr std::size_t kEventBufferBytes = kEventSlots * kEventRecordSize; // 8000
inline constexpr std::uint8_t kEmptySlotMarker = 0xFF; // byte 1 of an unused slot
inline constexpr std::uint8_t kDtmfEventCode = 0xFF;   // a Contact ID report

// Byte positions inside one record.
namespace event_byte {
inline constexpr std::size_t kBaseStatus = 1; // then private phones 1..3 at 2..4
inline constexpr std::size_t kYear = 5;       // 5..10 date and time, 11 extra seconds
inline constexpr std::size_t kExtraSeconds = 11;
inline constexpr std::size_t kCode = 12;
inline constexpr std::size_t kInputsHigh = 13;
inline constexpr std::size_t kInputsLow = 14;
inline constexpr std::size_t kOutput = 15;
inline constexpr std::size_t kAc = 16;
inline constexpr std::size_t kAccu = 17;
inline constexpr std::size_t kAnalog3 = 18;
inline constexpr std::size_t kAnalog4 = 19;
inline constexpr std::size_t kTemperature = 20;
inline constexpr std::size_t kSignal = 21;
inline constexpr std::size_t kPanel = 22;
} // namespace event_byte

// The zero of the date scale, used for a record whose date or time is not valid.
inline constexpr LocalDateTime kDateZero{1899, 12, 30, 0, 0, 0, 0};

// Time stamp of bytes 5..11 of a record (t[0] = year - 2000 ... t[5] = second, t[6] = extra
// seconds added afterwards, carrying into minutes, hours and days).
LocalDateTime eventTimeStamp(std::span<const std::uint8_t, 7> t);

// Name of an event code; empty for 0 and every code without a name, "DTMF" is not included
// (the caller decides how a DTMF report is shown). UTF-8.
std::string_view eventName(int code);

// "C:OK "/"C:ER " then "S:OK"/"S:ER" from a notification status byte.
std::string notificationStatusText(std::uint8_t status);

// A voltage in tenths of a volt as "12.3V" (no offset added).
std::string eventVoltageText(std::uint8_t tenths);

// Bits 0..14 of the input word as "0" (set, no alarm) or "1" (clear, alarm), with a blank after
// the fourth character.
std::string inputWordText(std::uint8_t high, std::uint8_t low);

// One row of the history table; columns 17..20 of the window are always empty and not kept.
inline constexpr int kHistoryColumns = 17;
struct HistoryRow {
    std::array<std::string, kHistoryColumns> cells; // UTF-8
    LocalDateTime time = kDateZero;                 // what the "Data" cell reads back as
};

struct HistoryTable {
    std::array<HistoryRow, kEventSlots> rows; // rows 1..200 of the window

    // Fills every row from an event buffer and the module's next-slot index: row 1 holds the
    // newest record. An index above 199 is taken modulo 200. A buffer shorter than 8000 bytes
    // is treated as if padded with empty slots.
    void fill(std::span<const std::uint8_t> buffer, int nextSlot);
    // Orders rows 1..200 by time, oldest first; equal times keep their order. The row numbers
    // in column 0 stay 1..200.
    void sortByTime();
};

std::array<std::string, kHistoryColumns> historyHeader();

// The lines of the history text file (UTF-8, without line ends): the header block, then the
// header row and the 200 table rows with padded columns.
std::vector<std::string> historyFileLines(const HistoryTable& table, std::string_view firmware,
                                          std::string_view serialNumber,
                                          const LocalDateTime& readDate);

// Writes lines as Windows-1250 text, each ended by CR LF. False when the file cannot be written.
bool writeHistoryFile(const std::string& path, const std::vector<std::string>& lines);

// Writes the event buffer's bytes as they came from the module. Nothing when written, else the
// message to show ("Błąd zapisu: " and the path).
std::optional<std::string> writeRawEventBuffer(const std::string& path,
                                               std::span<const std::uint8_t> events);

inline constexpr std::string_view kHistorySavedMessage = "Bufor historii został zapisany";
inline constexpr std::string_view kHistorySaveErrorMessage = "Błąd zapisu !";

} // namespace qv
