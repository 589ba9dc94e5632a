#include "monitor/event_history.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv {
namespace {

using Buffer = std::vector<std::uint8_t>;

Buffer emptyBuffer() {
    return Buffer(kEventBufferBytes, 0xFF);
}

// A record in slot s with the given time and event code.
void putRecord(Buffer& b, int slot, std::array<std::uint8_t, 7> time, std::uint8_t code) {
    auto* r = b.data() + slot * kEventRecordSize;
    std::fill(r, r + kEventRecordSize, 0);
    std::copy(time.begin(), time.end(), r + 5);
    r[12] = code;
}

LocalDateTime stamp(std::array<std::uint8_t, 7> t) {
    return eventTimeStamp(std::span<const std::uint8_t, 7>(t));
}

TEST(EventHistory, TimeStampCarriesExtraSecondsAndFallsBackToDateZero) {
    EXPECT_EQ(formatProgDate(stamp({24, 5, 17, 12, 34, 50, 10})), "2024-05-17 12:35:00");
    EXPECT_EQ(formatProgDate(stamp({24, 12, 31, 23, 59, 59, 1})), "2025-01-01 00:00:00");
    EXPECT_EQ(formatProgDate(stamp({24, 0, 17, 12, 34, 50, 7})), "1899-12-30 00:00:07");
    EXPECT_EQ(formatProgDate(stamp({23, 2, 29, 0, 0, 0, 0})), "1899-12-30 00:00:00");
    EXPECT_EQ(formatProgDate(stamp({24, 2, 29, 0, 0, 0, 0})), "2024-02-29 00:00:00");
    EXPECT_EQ(formatProgDate(stamp({100, 1, 1, 0, 0, 0, 0})), "1899-12-30 00:00:00");
    EXPECT_EQ(formatProgDate(stamp({24, 1, 1, 24, 0, 0, 0})), "1899-12-30 00:00:00");
    EXPECT_EQ(formatProgDate(stamp({24, 1, 0, 0, 0, 0, 0})), "1899-12-30 00:00:00");
}

TEST(EventHistory, NamesStatusTextsVoltagesAndInputWords) {
    EXPECT_EQ(eventName(16), "WE 12 - ALARM");
    EXPECT_EQ(eventName(32), "WE 12 - POWRÓT");
    EXPECT_EQ(eventName(0), "");
    EXPECT_EQ(eventName(100), "");
    EXPECT_EQ(notificationStatusText(0x00), "");
    EXPECT_EQ(notificationStatusText(0x03), "C:OK S:OK");
    EXPECT_EQ(notificationStatusText(0x33), "C:ER S:ER");
    EXPECT_EQ(notificationStatusText(0x11), "S:ER");
    EXPECT_EQ(notificationStatusText(0x02), "C:OK ");
    EXPECT_EQ(notificationStatusText(0x22), "C:ER ");
    EXPECT_EQ(eventVoltageText(123), "12.3V");
    EXPECT_EQ(eventVoltageText(5), "0.5V");
    EXPECT_EQ(eventVoltageText(0), "0.0V");
    EXPECT_EQ(inputWordText(0x7F, 0xFF), "0000 00000000000");
    EXPECT_EQ(inputWordText(0xFF, 0xFF), "0000 00000000000"); // bit 15 never shown
    EXPECT_EQ(inputWordText(0x00, 0x00), "1111 11111111111");
    EXPECT_EQ(inputWordText(0x00, 0x01), "0111 11111111111");
}

TEST(EventHistory, FillWalksBackFromTheNextSlot) {
    Buffer b = emptyBuffer();
    for (int s = 0; s < kEventSlots; ++s)
        putRecord(b, s, {24, 1, 1, 0, 0, 0, static_cast<std::uint8_t>(s)}, 1);
    HistoryTable t;
    t.fill(b, 0);
    EXPECT_EQ(t.rows[0].cells[1], "2024-01-01 00:03:19");   // slot 199
    EXPECT_EQ(t.rows[199].cells[1], "2024-01-01 00:00:00"); // slot 0
    t.fill(b, 5);
    EXPECT_EQ(t.rows[0].cells[1], "2024-01-01 00:00:04");
    EXPECT_EQ(t.rows[4].cells[1], "2024-01-01 00:00:00");
    EXPECT_EQ(t.rows[5].cells[1], "2024-01-01 00:03:19");
    EXPECT_EQ(t.rows[5].cells[0], "006");
    HistoryTable wrapped;
    wrapped.fill(b, 205); // above 199: modulo 200
    EXPECT_EQ(wrapped.rows[0].cells, t.rows[0].cells);
}

TEST(EventHistory, FillOfEmptyBufferAndColumns) {
    HistoryTable t;
    t.fill(emptyBuffer(), 17);
    for (int r = 0; r < kEventSlots; ++r) {
        EXPECT_EQ(t.rows[static_cast<std::size_t>(r)].cells[0], zeroPadded(r + 1, 3));
        for (int c = 1; c < kHistoryColumns; ++c)
            EXPECT_TRUE(
                t.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)].empty());
    }

    Buffer b = emptyBuffer();
    putRecord(b, 0, {24, 5, 17, 12, 34, 56, 0}, 255);
    auto* r = b.data();
    r[1] = 0x03;
    r[2] = 0x33;
    r[13] = 0x7F;
    r[14] = 0xEF;
    r[15] = 0x01;
    r[16] = 123;
    r[17] = 5;
    r[20] = 23;
    r[21] = 31;
    r[22] = 1;
    t.fill(b, 1);
    const auto& c = t.rows[0].cells;
    EXPECT_EQ(c[1], "2024-05-17 12:34:56");
    EXPECT_EQ(c[2], "DTMF");
    EXPECT_EQ(c[3], "");
    EXPECT_EQ(c[4], "C:OK S:OK");
    EXPECT_EQ(c[5], "C:ER S:ER");
    EXPECT_EQ(c[6], "");
    EXPECT_EQ(c[8], "0000 10000000000");
    EXPECT_EQ(c[9], "1");
    EXPECT_EQ(c[10], "12.3V");
    EXPECT_EQ(c[11], "0.5V");
    EXPECT_EQ(c[12], "0.0V");
    EXPECT_EQ(c[14], "23");
    EXPECT_EQ(c[15], "31");
    EXPECT_EQ(c[16], "1");
}

TEST(EventHistory, SortIsAscendingAndStable) {
    Buffer b = emptyBuffer();
    putRecord(b, 0, {24, 1, 1, 0, 0, 5, 0}, 1);
    putRecord(b, 1, {24, 1, 1, 0, 0, 5, 0}, 2); // same time as slot 0
    putRecord(b, 2, {24, 1, 1, 0, 0, 1, 0}, 3);
    putRecord(b, 3, {24, 0, 1, 0, 0, 1, 0}, 4); // invalid date: date zero
    HistoryTable t;
    t.fill(b, 4); // rows: slot 3, 2, 1, 0, then empty slots
    t.sortByTime();
    // 196 empty rows and the date-zero row share the earliest time and keep their order.
    EXPECT_EQ(t.rows[0].cells[1], "1899-12-30 00:00:00");
    EXPECT_EQ(t.rows[0].cells[2], "GSM - ALARM");
    EXPECT_TRUE(t.rows[1].cells[1].empty());
    EXPECT_EQ(t.rows[197].cells[2], "Akumulator - ALARM");
    EXPECT_EQ(t.rows[198].cells[2], "AC - ALARM");       // row 3 before the sort
    EXPECT_EQ(t.rows[199].cells[2], "TEST przyciskiem"); // row 4 before the sort
    for (int r = 0; r < kEventSlots; ++r)
        EXPECT_EQ(t.rows[static_cast<std::size_t>(r)].cells[0], zeroPadded(r + 1, 3));
}

TEST(EventHistory, TextFileLayoutCrlfAndCodePage) {
    Buffer b = emptyBuffer();
    putRecord(b, 0, {24, 5, 17, 12, 34, 56, 0}, 18);
    HistoryTable t;
    t.fill(b, 1);
    const auto lines = historyFileLines(t, "QV-5 4.1", "12345", {2026, 12, 8, 9, 5, 3, 0});
    ASSERT_EQ(lines.size(), 6u + 201u);
    EXPECT_EQ(lines[0], std::string(35, '-'));
    EXPECT_EQ(lines[1], "Firmware      : QV-5 4.1");
    EXPECT_EQ(lines[2], "Numer seryjny : 12345");
    EXPECT_EQ(lines[3], "Data odczytu  : 2026-12-08 09:05:03");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6],
              "|L.P.|Data               |Akcja              |GPRS      |Tel. baz. |Tel. pr1  "
              "|Tel. pr2  |Tel. pr3  |Wejścia   |Wyj.|Vac  |Vaccu|VA3  |VA4  |Temp|CSQ|Centr.|");
    EXPECT_EQ(
        lines[7],
        "|001 |2024-05-17 12:34:56|AC - POWRÓT        |          |          |          "
        "|          |          |1111 11111111111|0   |0.0V |0.0V |0.0V |0.0V |0   |0  |0     |");
    EXPECT_EQ(lines[8].substr(0, 6), "|002 |");

    const auto path = (std::filesystem::temp_directory_path() / "qvprog_history_test.txt").string();
    ASSERT_TRUE(writeHistoryFile(path, lines));
    std::stringstream ss;
    {
        std::ifstream f(path, std::ios::binary);
        ss << f.rdbuf();
    } // closed before the file goes: Windows removes no open file
    const std::string bytes = ss.str();
    EXPECT_EQ(bytes.substr(0, 37), std::string(35, '-') + "\r\n");
    EXPECT_NE(bytes.find(toCp1250("POWRÓT")), std::string::npos);
    EXPECT_EQ(bytes.find("POWRÓT"), std::string::npos); // no UTF-8 in the file
    std::filesystem::remove(path);
    EXPECT_FALSE(writeHistoryFile("/nonexistent-dir/x.txt", lines));
}

} // namespace
} // namespace qv
