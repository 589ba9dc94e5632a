#include "monitor/monitor_replay.hpp"
#include "monitor/qvmon_file.hpp"
#include "monitor/trend_store.hpp"

#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "sim/monitor_stream.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv {
namespace {

using namespace std::chrono_literals;

// Everything the window shows except the silence banner, whose text follows the timer.
void expectSameDisplay(const MonitorModel& a, const MonitorModel& b) {
    for (std::size_t v = 0; v < kMonitorValueCount; ++v)
        EXPECT_EQ(a.value(static_cast<MonitorValue>(v)), b.value(static_cast<MonitorValue>(v)))
            << monitorValueName(static_cast<MonitorValue>(v));
    for (std::size_t i = 0; i < kMonitorInputs; ++i) {
        EXPECT_EQ(a.inputs()[i].light, b.inputs()[i].light);
        EXPECT_EQ(a.inputs()[i].panel, b.inputs()[i].panel);
        EXPECT_EQ(a.inputs()[i].lock, b.inputs()[i].lock);
    }
    for (std::size_t j = 0; j < kMonitorOutputs; ++j)
        EXPECT_EQ(a.outputs()[j].contact, b.outputs()[j].contact);
    EXPECT_EQ(a.signalGauge().value, b.signalGauge().value);
    EXPECT_EQ(a.historyUsage().value, b.historyUsage().value);
    EXPECT_EQ(a.events(), b.events());
    EXPECT_EQ(a.resetsHistory(), b.resetsHistory());
    EXPECT_EQ(a.lineLog(), b.lineLog());
    EXPECT_EQ(a.statusBarText(), b.statusBarText());
    EXPECT_EQ(a.configBannerVisible(), b.configBannerVisible());
}

// A live session on the simulated module's stream, recorded batch by batch as a window does:
// the bytes of every 20 ms, stamped with the clock's time since the start.
struct LiveSession {
    VirtualClock clock{LocalDateTime{2026, 12, 9, 7, 30, 0, 250}};
    MonitorModel model{clock};
    TrendStore trends;
    TrendFeed feed{model, trends, clock};
    std::ostringstream file;
    std::vector<StatusSample> shown; // what the display showed after every status line

    explicit LiveSession(sim::MonitorStream::Options o, std::chrono::seconds length) {
        QvmonHeader h{"QV PROG 2.2.24", "sim:acloss=30", clock.localTime()};
        file << qvmonHeaderBytes(h);
        feed.start();
        model.displayReset();
        model.shown();
        sim::MonitorStream stream(o);
        const auto start = clock.now();
        long long nextTick = 1000;
        for (long long ms = 20; ms <= length.count() * 1000; ms += 20) {
            clock.advanceTo(start + std::chrono::milliseconds(ms));
            const std::string bytes = stream.advanceTo(std::chrono::milliseconds(ms));
            if (!bytes.empty()) {
                file << qvmonBatchBytes(static_cast<std::uint32_t>(ms), bytes);
                model.receive(bytes);
            }
            if (ms >= nextTick) {
                model.tick();
                nextTick += 1000;
            }
            model.takeEffects();
        }
    }
};

sim::MonitorStream::Options eventfulStream() {
    sim::MonitorStream::Options o;
    o.mainsLossSecond = 30;
    o.inputAlarmSecond = 40;
    return o;
}

TEST(MonitorReplay, ARecordingReplaysToTheLiveSessionsFinalDisplay) {
    LiveSession live(eventfulStream(), 180s);
    std::istringstream in(live.file.str());
    MonitorReplay replay(in);
    ASSERT_TRUE(replay.valid());
    EXPECT_EQ(replay.damage(), "");
    EXPECT_EQ(replay.header().port, "sim:acloss=30");
    EXPECT_EQ(replay.duration(), 180000 - 500 + 500); // the last batch: the status line at 180 s
    replay.seek(replay.duration());
    EXPECT_TRUE(replay.atEnd());
    expectSameDisplay(live.model, replay.model());
    EXPECT_EQ(live.model.value(MonitorValue::Ac).text.substr(0, 2), "0."); // the mains failed
    ASSERT_EQ(replay.trends().size(), live.trends.size());
    for (std::size_t i = 0; i < live.trends.size(); ++i) {
        EXPECT_EQ(replay.trends().timeAt(i), live.trends.timeAt(i));
        EXPECT_EQ(replay.trends().sampleAt(i), live.trends.sampleAt(i));
    }
    EXPECT_EQ(replay.trends().marks(), live.trends.marks());

    // Back to the middle and on again: the same final display once more.
    replay.seek(60000);
    EXPECT_EQ(replay.position(), 60000);
    EXPECT_LT(replay.model().events().size(), live.model.events().size());
    replay.seek(replay.duration());
    expectSameDisplay(live.model, replay.model());
}

TEST(MonitorReplay, AJumpShowsWhatTheLiveDisplayShowedAtThatMoment) {
    LiveSession half(eventfulStream(), 90s);
    LiveSession whole(eventfulStream(), 180s);
    std::istringstream in(whole.file.str());
    MonitorReplay replay(in);
    replay.seek(170000);
    replay.seek(90000); // backwards: rebuilt from the start
    expectSameDisplay(half.model, replay.model());
}

TEST(QvmonFile, WriterAndReaderAgreeOnHeaderAndBatches) {
    const auto dir = std::filesystem::temp_directory_path() / "qvprog-qvmon-test";
    std::filesystem::create_directories(dir);
    // A Polish name, in UTF-8 as the program hands it over (on Windows, through wide calls).
    const std::string path = utf8FromPath(dir) + "/zapis ąę.qvmon";
    std::string error;
    QvmonHeader h{"QV PROG 2.2.24", "/dev/ttyUSBż0", {2026, 12, 9, 7, 32, 23, 45}};
    auto w = QvmonWriter::create(path, h, error);
    ASSERT_TRUE(w) << error;
    const std::string big(70000, 'x'); // longer than a batch can hold: split in two
    EXPECT_TRUE(w->write(10, "AT+QVXS=1;2\r\n"));
    EXPECT_TRUE(w->write(5, std::string_view("\0\xff", 2))); // a clock that stepped back
    EXPECT_TRUE(w->write(3600000, big));
    w.reset();

    std::ifstream f(*pathFromUtf8(path), std::ios::binary);
    std::string head(8, '\0');
    f.read(head.data(), 8);
    EXPECT_TRUE(isQvmon(head));
    f.seekg(0);
    QvmonReader r(f);
    ASSERT_TRUE(r.valid()) << r.error();
    EXPECT_EQ(r.header().program, "QV PROG 2.2.24");
    EXPECT_EQ(r.header().port, "/dev/ttyUSBż0");
    EXPECT_EQ(r.header().start, h.start);
    auto b = r.next();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->ms, 10u);
    EXPECT_EQ(b->bytes, "AT+QVXS=1;2\r\n");
    b = r.next();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->ms, 10u);
    EXPECT_EQ(b->bytes, std::string("\0\xff", 2));
    std::string joined;
    for (int k = 0; k < 2; ++k) {
        b = r.next();
        ASSERT_TRUE(b);
        EXPECT_EQ(b->ms, 3600000u);
        joined += b->bytes;
    }
    EXPECT_EQ(joined, big);
    EXPECT_FALSE(r.next());
    EXPECT_EQ(r.error(), ""); // a clean end
    r.rewind();
    EXPECT_EQ(r.next()->ms, 10u);
    f.close(); // Windows removes no file that is open
    std::filesystem::remove_all(dir);
}

TEST(QvmonFile, ADamagedOrTruncatedRecordingOpensUpToTheDamage) {
    LiveSession live(eventfulStream(), 60s);
    const std::string whole = live.file.str();
    const std::size_t headerSize = qvmonHeaderBytes({"QV PROG 2.2.24", "sim:acloss=30", {}}).size();

    // Cut in the middle of a batch: everything before it plays, the message says where.
    {
        std::istringstream in(whole.substr(0, whole.size() - 10));
        MonitorReplay replay(in);
        ASSERT_TRUE(replay.valid());
        EXPECT_NE(replay.damage().find("Zapis monitora jest uszkodzony od bajtu"),
                  std::string::npos);
        EXPECT_NE(replay.damage().find("zapis się urywa"), std::string::npos);
        EXPECT_NE(replay.damage().find("do czasu 00:00:59"), std::string::npos) << replay.damage();
        replay.seek(replay.duration());
        EXPECT_EQ(replay.model().events().size(), live.model.events().size());
    }
    // A flipped byte inside the data: the check sum catches it.
    {
        std::string bad = whole;
        bad[headerSize + 9] ^= 0x20; // in the first batch's bytes
        std::istringstream in(bad);
        MonitorReplay replay(in);
        EXPECT_NE(replay.damage().find("błędna suma kontrolna"), std::string::npos);
        EXPECT_NE(replay.damage().find("od bajtu " + std::to_string(headerSize)), std::string::npos)
            << replay.damage();
        EXPECT_EQ(replay.duration(), 0);
    }
    // Garbage where a batch should begin.
    {
        std::istringstream in(whole + "garbage");
        MonitorReplay replay(in);
        EXPECT_NE(replay.damage().find("brak znacznika paczki"), std::string::npos);
        replay.seek(replay.duration());
        expectSameDisplay(live.model, replay.model());
    }
    // Not a recording at all, and a header cut short.
    for (const std::string& text : {std::string("AT+QVXS=1\r\n"), whole.substr(0, 20)}) {
        std::istringstream in(text);
        MonitorReplay replay(in);
        EXPECT_FALSE(replay.valid());
        EXPECT_FALSE(replay.damage().empty());
        replay.seek(1000); // harmless
    }
}

TEST(TrendStore, ColumnsStatsMarksAndModuleTime) {
    TrendStore store;
    store.clear({2026, 12, 9, 7, 0, 0, 0});
    StatusSample s;
    s.values.fill(StatusSample::kNoValue);
    s.inputsKnown = s.outputsKnown = true;
    for (int i = 0; i < 100; ++i) {
        s.values[static_cast<std::size_t>(TrendSeries::Accu)] = static_cast<std::int16_t>(100 + i);
        s.inputAlarms = i >= 50 ? 0x20 : 0;
        s.outputsClosed = i >= 70 ? 1 : 0;
        store.add(i * 1000LL, s);
    }
    std::vector<TrendStore::Column> cols;
    store.columns(TrendSeries::Accu, 0, 100000, 10, cols);
    ASSERT_EQ(cols.size(), 10u);
    EXPECT_TRUE(cols[0].any);
    EXPECT_FLOAT_EQ(cols[0].min, 10.0f);
    EXPECT_FLOAT_EQ(cols[0].max, 10.9f);
    EXPECT_FLOAT_EQ(cols[9].max, 19.9f);
    store.columns(TrendSeries::Ac, 0, 100000, 10, cols); // no values at all
    EXPECT_FALSE(cols[3].any);
    store.columns(TrendSeries::Accu, 200000, 300000, 4, cols); // past the end
    EXPECT_FALSE(cols[0].any);

    const auto st = store.stats(TrendSeries::Accu, 10000, 19000);
    EXPECT_EQ(st.count, 10u);
    EXPECT_DOUBLE_EQ(st.min, 11.0);
    EXPECT_DOUBLE_EQ(st.max, 11.9);
    EXPECT_NEAR(st.mean, 11.45, 1e-9);
    EXPECT_EQ(store.stats(TrendSeries::Ac, 0, 100000).count, 0u);

    ASSERT_EQ(store.marks().size(), 2u);
    EXPECT_EQ(store.marks()[0], (TrendStore::Mark{50000, false, 5, true}));
    EXPECT_EQ(store.marks()[1], (TrendStore::Mark{70000, true, 0, true}));

    EXPECT_FALSE(store.moduleOffsetSeconds());
    EXPECT_EQ(store.timeOf(61000, true), (LocalDateTime{2026, 12, 9, 7, 1, 1, 0}));
    const auto shown = TrendStore::parseDisplayedClock("2024/05/17,12:34:56");
    ASSERT_TRUE(shown);
    store.noteModuleTime(10000, *shown);
    EXPECT_EQ(store.timeOf(11000, true), (LocalDateTime{2024, 5, 17, 12, 34, 57, 0}));
    EXPECT_EQ(store.timeOf(11000, false), (LocalDateTime{2026, 12, 9, 7, 0, 11, 0}));
    EXPECT_FALSE(TrendStore::parseDisplayedClock("?"));
    EXPECT_FALSE(TrendStore::parseDisplayedClock("2024/13/17,12:34:56"));
}

TEST(TrendStore, AFullStoreDropsItsOldestQuarterAndStaysSmall) {
    TrendStore store(1000);
    store.clear({});
    StatusSample s;
    for (int i = 0; i < 1001; ++i)
        store.add(i * 1000LL, s);
    EXPECT_EQ(store.size(), 751u);
    EXPECT_EQ(store.firstMs(), 250000);

    TrendStore session;
    session.clear({});
    for (int i = 0; i < 8 * 3600; ++i)
        session.add(i * 1000LL, s);
    EXPECT_LT(session.memoryBytes(), 2u * 1024 * 1024); // far below the 20 MB allowed
}

TEST(TrendCsv, RowsMatchWhatTheDisplayShowed) {
    LiveSession live(eventfulStream(), 120s);
    ASSERT_GT(live.trends.size(), 100u);
    const auto header = trendCsvHeader();
    EXPECT_EQ(
        header.rfind("Czas komputera,Czas modułu,Napięcie AC [V],Napięcie akumulatora [V],", 0),
        0u);
    EXPECT_NE(header.find(",Termometr 1 [C],"), std::string::npos);
    EXPECT_NE(header.find(",TEST,AC,Akum.,GSM,We 1,"), std::string::npos);
    EXPECT_NE(header.find(",Wyjscie 4(Ex)"), std::string::npos);

    // The last row against the display as it is now.
    const std::string last = trendCsvLine(live.trends, live.trends.size() - 1);
    std::vector<std::string> cells;
    std::stringstream ss(last);
    for (std::string c; std::getline(ss, c, ',');)
        cells.push_back(c);
    if (last.back() == ',') cells.emplace_back();
    ASSERT_EQ(cells.size(), 2u + kTrendSeriesCount + kMonitorInputs + kMonitorOutputs);
    const MonitorModel& m = live.model;
    auto shownNumber = [](std::string t) {
        while (!t.empty() &&
               (t.back() == 'V' || t.back() == 'C' || t.back() == ' ' || t.back() == '%'))
            t.pop_back();
        return t;
    };
    EXPECT_EQ(cells[2], shownNumber(m.value(MonitorValue::Ac).text));
    EXPECT_EQ(cells[3], shownNumber(m.value(MonitorValue::Accu).text));
    EXPECT_EQ(cells[4], shownNumber(m.value(MonitorValue::Analog3).text));
    EXPECT_EQ(cells[6], shownNumber(m.value(MonitorValue::TLevel1).text));
    EXPECT_EQ(cells[7], "-1.0");
    EXPECT_EQ(cells[8], shownNumber(m.value(MonitorValue::Csq).text));
    for (std::size_t i = 0; i < kMonitorInputs; ++i)
        EXPECT_EQ(cells[9 + i], m.inputs()[i].light == InputLight::Alarm ? "1" : "0") << i;
    for (std::size_t j = 0; j < kMonitorOutputs; ++j)
        EXPECT_EQ(cells[24 + j], m.outputs()[j].contact == OutputContact::Closed ? "1" : "0");
    EXPECT_EQ(cells[0], "2026-12-09 07:32:00");
    // The module's clock, 120 s after 12:34:56, known to a second (it reports whole seconds).
    EXPECT_EQ(cells[1], "2024-05-17 12:36:55");

    // Every row: the row of the sample the display showed right after that status line.
    TrendStore replayed;
    replayed.clear({2026, 12, 9, 7, 30, 0, 0});
    VirtualClock c;
    MonitorModel again(c);
    std::vector<StatusSample> samples;
    again.setSampleListener([&](const StatusSample& s) { samples.push_back(s); });
    again.displayReset();
    sim::MonitorStream stream(eventfulStream());
    again.receive(stream.advanceTo(120s));
    ASSERT_EQ(samples.size(), live.trends.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(samples[i], live.trends.sampleAt(i)) << i;

    // A missing value is an empty cell; unknown inputs are empty too.
    TrendStore empty;
    empty.clear({2026, 1, 1, 0, 0, 0, 0});
    StatusSample unknown;
    unknown.values.fill(StatusSample::kNoValue);
    empty.add(0, unknown);
    EXPECT_EQ(trendCsvLine(empty, 0), "2026-01-01 00:00:00," + std::string(27, ','));

    const auto path = (std::filesystem::temp_directory_path() / "qvprog-trends.csv").string();
    ASSERT_FALSE(writeTrendCsv(path, live.trends));
    std::ifstream f(path, std::ios::binary);
    std::string first;
    std::getline(f, first);
    EXPECT_EQ(first, toCp1250(header) + "\r");
    f.close(); // Windows removes no file that is open
    std::filesystem::remove(path);
}

} // namespace
} // namespace qv
