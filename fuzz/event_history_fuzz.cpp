// The event buffer read from a module or a file, and the history text made from it. Input:
// two bytes of the module's next-slot index (signed, high byte first), up to 8000 bytes of
// buffer, then the firmware and serial number texts separated by a line end.
#include "common/clock.hpp"
#include "common/cp1250.hpp"
#include "fuzz_support.hpp"
#include "monitor/event_history.hpp"

#include <memory>

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int nextSlot = static_cast<std::int16_t>((data[0] << 8) | data[1]);
    const std::size_t bufferSize = std::min<std::size_t>(size - 2, kEventBufferBytes);
    const std::span<const std::uint8_t> buffer(data + 2, bufferSize);
    const std::string_view texts = fuzz::asText(data + 2 + bufferSize, size - 2 - bufferSize);
    const auto newline = texts.find('\n');
    const std::string firmware = fromCp1250(texts.substr(0, newline));
    const std::string serial =
        newline == std::string_view::npos ? std::string() : fromCp1250(texts.substr(newline + 1));

    auto table = std::make_unique<HistoryTable>();
    table->fill(buffer, nextSlot);
    table->sortByTime();
    for (std::size_t r = 0; r < table->rows.size(); ++r) {
        if (r > 0 && table->rows[r].time < table->rows[r - 1].time)
            fuzz::fail("the rows are not in time order");
        if (table->rows[r].cells[0].size() != 3) fuzz::fail("a row number lost its form");
    }
    const auto lines =
        historyFileLines(*table, firmware, serial, LocalDateTime{2024, 5, 17, 12, 0, 0, 0});
    if (lines.size() != kEventSlots + 7) fuzz::fail("the history text has the wrong length");
    if (!writeHistoryFile(fuzz::scratch().path("history.txt"), lines))
        fuzz::fail("the history text was not written");
    return 0;
}
