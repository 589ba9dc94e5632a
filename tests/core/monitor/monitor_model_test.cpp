#include "monitor/monitor_model.hpp"

#include <gtest/gtest.h>

#include <deque>

namespace qv {
namespace {

class MonitorModelTest : public ::testing::Test {
  protected:
    VirtualClock clock{{2026, 12, 7, 14, 5, 9, 0}};
    MonitorModel model{clock, MonitorModel::Options{','}};
    std::vector<std::string> received; // lines that reached the line log from the module

    void SetUp() override {
        model.setLineListener([this](const std::string& line, bool fromModule) {
            if (fromModule) received.push_back(line.substr(9)); // without "hh:mm:ss "
        });
        model.displayReset();
        model.takeEffects();
    }
    void line(std::string_view text) { model.receive(std::string(text) + "\r\n"); }
    const DisplayValue& v(MonitorValue m) const { return model.value(m); }
    const InputColumn& in(int i) const { return model.inputs()[static_cast<std::size_t>(i)]; }
};

TEST_F(MonitorModelTest, LinesAreSplitAtCrOnlyAcrossBatches) {
    model.receive("AB\r");
    model.receive("\nCD\r");
    EXPECT_EQ(received, (std::vector<std::string>{"AB", "CD"}));
    model.receive("\n\n\r\r");
    EXPECT_EQ(received.size(), 2u); // LF never ends a line, CR on an empty buffer does nothing
    EXPECT_EQ(model.receivedCount(), 11);
    EXPECT_EQ(model.statusBarText(), " Odebrano: 11");
    model.receive(std::string("E\0F\r", 4)); // the byte 0 belongs to the line
    EXPECT_EQ(received.back(), std::string("E\0F", 3));
}

TEST_F(MonitorModelTest, LargeBatchIsHandledInPiecesWithoutLosingBytes) {
    std::string batch;
    for (int i = 0; i < 300; ++i)
        batch += "AT+QVXS=0;7A;7D\r\n"; // 17 bytes, crosses 1000
    model.receive(batch);
    EXPECT_EQ(received.size(), 300u);
    EXPECT_EQ(model.receivedCount(), static_cast<long long>(batch.size()));
    EXPECT_EQ(received.back(), "AT+QVXS=0;7A;7D");
}

TEST_F(MonitorModelTest, DroppedBytesAreCountedAndBreakTheLineInProgress) {
    model.receive("AT+QVXS=0;7");
    model.noteDropped(5000);
    model.receive("A;7D\r\nAB\r\n"); // the rest of a line whose start was dropped
    EXPECT_EQ(received, (std::vector<std::string>{"A;7D", "AB"}));
    EXPECT_EQ(v(MonitorValue::Ac).text, "?"); // no status line was pieced together
    EXPECT_EQ(model.receivedCount(), 11 + 5000 + 10);
    EXPECT_EQ(model.droppedCount(), 5000);
    EXPECT_EQ(model.statusBarText(), " Odebrano: 5021 (pominięto: 5000)");
    model.clearReceivedCount(); // the restart command
    EXPECT_EQ(model.statusBarText(), " Odebrano: 0");
}

TEST_F(MonitorModelTest, LineLogPrefixesLocalTimeAndEmptiesPastItsLimit) {
    line("hello");
    EXPECT_EQ(model.lineLog().back(), "14:05:09 hello");
    for (int i = 0; i < 998; ++i)
        line("x"); // RESET marker + 999 lines = 1000
    EXPECT_EQ(model.lineLog().size(), 1000u);
    EXPECT_EQ(model.lineLogClears(), 0);
    line("y"); // the 1001st empties the log
    EXPECT_TRUE(model.lineLog().empty());
    EXPECT_EQ(model.lineLogClears(), 1);
    line("z");
    EXPECT_EQ(model.lineLog().size(), 1u);
}

TEST_F(MonitorModelTest, ShortStatusLineShowsVoltagesAndLeavesIndicators) {
    line("AT+QVXS=0;FF;FF;0;0;0;0;0;0;0;0;7FFF;1F;7FFF;111111111111111;0;0;0;0;0;0;0;0");
    const auto inputsBefore = model.inputs()[0].light;
    line("AT+QVXS=0;7A;7D");
    EXPECT_EQ(v(MonitorValue::Ac).text, "12,7V");
    EXPECT_EQ(v(MonitorValue::Ac).tooltip, "0x7A");
    EXPECT_EQ(v(MonitorValue::Accu).text, "13,5V");
    for (auto m : {MonitorValue::Analog3, MonitorValue::Analog4, MonitorValue::Gprs,
                   MonitorValue::Apn, MonitorValue::Centralka, MonitorValue::TestPeriod,
                   MonitorValue::TLevel1, MonitorValue::TLevel2, MonitorValue::Line}) {
        EXPECT_EQ(v(m).text, "?") << monitorValueName(m);
        EXPECT_EQ(v(m).tooltip, "?") << monitorValueName(m);
    }
    EXPECT_EQ(v(MonitorValue::Csq).text, "?");
    EXPECT_EQ(model.signalGauge().tooltip, "?");
    EXPECT_EQ(model.historyUsage().value, 0);
    EXPECT_EQ(model.inputs()[0].light, inputsBefore);
    EXPECT_EQ(model.outputs()[0].contact, OutputContact::Closed);
}

TEST_F(MonitorModelTest, SignalLevelPercentagesAndColours) {
    struct Case {
        const char* field;
        const char* text;
        Colour colour;
        const char* tooltip;
    };
    const Case cases[] = {{"1F", "100%", Colour::Lime, "0x1F"},
                          {"10", "51%", Colour::Yellow, "0x10"},
                          {"07", "22%", Colour::Red, "0x07"},
                          {"0F", "48%", Colour::Yellow, "0x0F"},
                          {"120", "100%", Colour::Lime, "0x120"}}; // clamped, low byte 0x20
    for (const auto& c : cases) {
        line(std::string("AT+QVXS=0;0;0;0;0;0;0;") + c.field);
        EXPECT_EQ(v(MonitorValue::Csq).text, c.text) << c.field;
        EXPECT_EQ(model.signalGauge().colour, c.colour) << c.field;
        EXPECT_EQ(model.signalGauge().tooltip, c.tooltip) << c.field;
    }
    line("AT+QVXS=0;0;0;0;0;0;0;63"); // "not known": colour left as it was
    EXPECT_EQ(v(MonitorValue::Csq).text, "0%");
    EXPECT_EQ(model.signalGauge().tooltip, "99");
    EXPECT_EQ(model.signalGauge().value, 0);
    EXPECT_EQ(model.signalGauge().colour, Colour::Lime);
}

TEST_F(MonitorModelTest, StatusFieldTexts) {
    line("AT+QVXS=0;0;0;15;0;0;2;0;4;8;1;0;0;-;0;C6;2;5A0;FFF6;E6;0;0;2");
    EXPECT_EQ(v(MonitorValue::Analog3).text, "2,1V");
    EXPECT_EQ(v(MonitorValue::Ac).text, "0,5V");
    EXPECT_EQ(v(MonitorValue::Accu).text, "1,0V");
    EXPECT_EQ(v(MonitorValue::Creg).text, "Oczekiwanie...");
    EXPECT_EQ(v(MonitorValue::Creg).colour, Colour::Yellow);
    EXPECT_EQ(v(MonitorValue::Creg).tooltip, "2");
    EXPECT_EQ(v(MonitorValue::Gprs).text, "TAK");
    EXPECT_EQ(v(MonitorValue::Apn).text, "Połączony z serwerem");
    EXPECT_EQ(v(MonitorValue::Centralka).text, "Włączona");
    EXPECT_EQ(model.historyUsage().value, 4); // C6 .. 02 wraps round the ring
    EXPECT_EQ(v(MonitorValue::TestPeriod).text, "1440 min.");
    EXPECT_EQ(v(MonitorValue::TLevel1).text, "-1,0 C");
    EXPECT_EQ(v(MonitorValue::TLevel2).text, "23,0 C");
    EXPECT_EQ(v(MonitorValue::Line).text, "Podniesiona");

    const std::pair<const char*, const char*> apn[] = {{"3", "Brak"},
                                                       {"4", "Połączony z APNem"},
                                                       {"8", "Połączony z serwerem"},
                                                       {"9", "Połączony z APNem"}};
    for (const auto& [field, text] : apn) {
        line(std::string("AT+QVXS=0;0;0;0;0;0;0;0;0;") + field);
        EXPECT_EQ(v(MonitorValue::Apn).text, text) << field;
    }
}

TEST_F(MonitorModelTest, RegistrationKeepsTextForUnknownCodeAndGoesBlackWhenInvalid) {
    line("AT+QVXS=0;0;0;0;0;0;1");
    EXPECT_EQ(v(MonitorValue::Creg).text, "Połączony");
    line("AT+QVXS=0;0;0;0;0;0;7");
    EXPECT_EQ(v(MonitorValue::Creg).text, "Połączony");
    EXPECT_EQ(v(MonitorValue::Creg).colour, Colour::Green);
    EXPECT_EQ(v(MonitorValue::Creg).tooltip, "7");
    line("AT+QVXS=0;0;0;0;0;0;xyz");
    EXPECT_EQ(v(MonitorValue::Creg).text, "?");
    EXPECT_EQ(v(MonitorValue::Creg).colour, Colour::Black);
    EXPECT_EQ(v(MonitorValue::Creg).tooltip, "7");
}

TEST_F(MonitorModelTest, InvalidFieldValues) {
    // FFFFFFFF, nine digits and non-hexadecimal text are all invalid; eight digits are fine.
    line("AT+QVXS=0;FFFFFFFF;000000001;1G");
    EXPECT_EQ(v(MonitorValue::Ac).text, "?");
    EXPECT_EQ(v(MonitorValue::Accu).text, "?");
    EXPECT_EQ(v(MonitorValue::Analog3).text, "?");
    line("AT+QVXS=0;0000007A");
    EXPECT_EQ(v(MonitorValue::Ac).text, "12,7V");
}

TEST_F(MonitorModelTest, StatusFieldSplitting) {
    std::vector<std::string> f;
    splitStatusFields("a;;b;", f);
    EXPECT_EQ(f, (std::vector<std::string>{"a", "", "b", ""}));
    splitStatusFields("  a b\t;c", f);
    EXPECT_EQ(f, (std::vector<std::string>{"a", "b", "c"}));
    splitStatusFields("\"x;\"\"y\";z", f);
    EXPECT_EQ(f, (std::vector<std::string>{"x;\"y", "z"}));
    splitStatusFields(";a", f);
    EXPECT_EQ(f, (std::vector<std::string>{"", "a"}));
    splitStatusFields("", f);
    EXPECT_TRUE(f.empty());
    splitStatusFields("\"open", f); // an unclosed quote runs to the end
    EXPECT_EQ(f, (std::vector<std::string>{"open"}));
}

TEST_F(MonitorModelTest, InputColumnsPanelAndLockMarks) {
    // Panel on, bit 4 set (disarmed): marks follow the panel mask.
    line("AT+QVXS=0;0;0;0;0;0;0;0;0;0;1;7FFE;3;7FFD;011111111111110");
    EXPECT_EQ(in(0).light, InputLight::Alarm);
    EXPECT_EQ(in(0).tooltip, "Alarm na wejściu");
    EXPECT_EQ(in(1).light, InputLight::NoAlarm);
    EXPECT_EQ(in(1).tooltip, "Brak alarmu na wejściu");
    EXPECT_EQ(v(MonitorValue::Centralka).text, "Rozbrojona");
    EXPECT_EQ(v(MonitorValue::Centralka).tooltip, "0x1");
    EXPECT_EQ(in(0).panel, PanelMark::Blank);
    EXPECT_EQ(in(1).panel, PanelMark::Cross);
    EXPECT_EQ(in(2).panel, PanelMark::Blank);
    EXPECT_EQ(in(0).lock, LockMark::Padlock);
    EXPECT_EQ(in(1).lock, LockMark::Blank);
    EXPECT_EQ(in(14).lock, LockMark::Padlock);
    EXPECT_EQ(model.outputs()[0].contact, OutputContact::Closed);
    EXPECT_EQ(model.outputs()[0].tooltip, "Przekaźnik zwarty");
    EXPECT_EQ(model.outputs()[2].contact, OutputContact::Open);
    EXPECT_EQ(model.outputs()[2].tooltip, "Przekaźnik rozwarty");

    // Panel on, bit 4 clear: armed, every mark blank whatever the panel mask holds.
    line("AT+QVXS=0;0;0;0;0;0;0;0;0;0;1;7FEF;3;0;111");
    EXPECT_EQ(v(MonitorValue::Centralka).text, "Uzbrojona");
    for (const auto& c : model.inputs())
        EXPECT_EQ(c.panel, PanelMark::Blank);
    EXPECT_EQ(in(14).lock, LockMark::Blank); // a short lock string leaves blanks

    // Field 14 missing: the columns are left as they were.
    line("AT+QVXS=0;0;0;0;0;0;0;0;0;0;0;0;0;0");
    EXPECT_EQ(in(1).light, InputLight::NoAlarm);
    EXPECT_EQ(v(MonitorValue::Centralka).text, "Wyłączona");
}

TEST_F(MonitorModelTest, SimAndModemLines) {
    line("+CPIN: READY ");
    EXPECT_EQ(v(MonitorValue::Sim).text, "?");
    EXPECT_FALSE(model.clockSyncEnabled());
    line("+CPIN: READY");
    EXPECT_EQ(v(MonitorValue::Sim).text, "OK");
    EXPECT_EQ(v(MonitorValue::Sim).colour, Colour::Green);
    EXPECT_TRUE(model.clockSyncEnabled());
    EXPECT_EQ(model.tagTable()[5], "CPIN:OK");
    line("+CPIN: ERROR");
    EXPECT_EQ(v(MonitorValue::Sim).text, "Błędny PIN !!!");
    EXPECT_EQ(v(MonitorValue::Sim).colour, Colour::Red);
    line("+CME ERROR: 10");
    EXPECT_EQ(v(MonitorValue::Sim).text, "Błąd karty SIM");
    line("+CCLK: \"24/05/17,12:34:56+08\"");
    EXPECT_EQ(v(MonitorValue::DateTime).text, "2024/05/17,12:34:56");
    EXPECT_EQ(model.tagTable()[6], "+CCLK: \"24/05/17,12:34:56+08\"");
    line("+CREG: 0,1");
    line(">x");
    line("-y");
    line("+!z");
    line("AT+S_1abc");
    EXPECT_EQ(model.tagTable()[3], "+CREG: 0,1");
    EXPECT_EQ(model.tagTable()[9], ">x");
    EXPECT_EQ(model.tagTable()[8], "-y");
    EXPECT_EQ(model.tagTable()[10], "+!z");
    EXPECT_EQ(model.tagTable()[11], "AT+S_1abc");
    line("+CLIP: \"123\"");
    const auto effects = model.takeEffects();
    EXPECT_NE(
        std::find(effects.begin(), effects.end(), MonitorEffect{MonitorEffectKind::PlayRing, ""}),
        effects.end());
}

TEST_F(MonitorModelTest, ResetCauseLine) {
    line("AT+QVXS=0;7A;7D;0;0;0;1");
    line("+CPIN: READY");
    model.takeEffects();
    line("AT+QVXR=F1");
    EXPECT_EQ(v(MonitorValue::ResetCause).text, "Watchdog");
    EXPECT_EQ(v(MonitorValue::ResetCause).tooltip, "0xF1");
    EXPECT_EQ(model.resetsHistory().back(), "26-12-07 14:05:09 Watchdog (0xF1)");
    EXPECT_EQ(v(MonitorValue::Ac).text, "?"); // display reset
    EXPECT_FALSE(model.clockSyncEnabled());
    EXPECT_EQ(model.tagTable()[0], "AT+QVXR=F1");
    const auto effects = model.takeEffects();
    EXPECT_EQ(effects, (std::vector<MonitorEffect>{
                           {MonitorEffectKind::ClockSyncDisabled, ""},
                           {MonitorEffectKind::ResetLogged, "26-12-07 14:05:09 Watchdog (0xF1)"}}));

    line("AT+QVXR=77"); // no text for the code: the shown text stays
    EXPECT_EQ(v(MonitorValue::ResetCause).text, "Watchdog");
    EXPECT_EQ(v(MonitorValue::ResetCause).tooltip, "0x77");
    line("AT+QVXR=zz"); // not a number: code 0
    EXPECT_EQ(v(MonitorValue::ResetCause).tooltip, "0xzz");
    EXPECT_FALSE(model.badPinFlag());
}

TEST_F(MonitorModelTest, BadPinClosesAtTheNextBatchButProcessesIt) {
    line("AT+QVXR=03");
    EXPECT_EQ(v(MonitorValue::ResetCause).text, "Błąd PIN");
    EXPECT_TRUE(model.badPinFlag());
    model.takeEffects();
    line("AT+QVXS=0;7A");
    EXPECT_EQ(model.takeEffects(),
              (std::vector<MonitorEffect>{{MonitorEffectKind::CloseForBadPin, ""}}));
    EXPECT_EQ(v(MonitorValue::Ac).text, "12,7V");
    model.shown();
    EXPECT_FALSE(model.badPinFlag());
}

TEST_F(MonitorModelTest, EventLines) {
    // Bytes 5..18: 24/05/17 12:34:50 +10 s, code 6, inputs 7F FF, output 01, ...
    line("AT+QVXH=0003000000"
         "1805110C2232"
         "0A"
         "06"
         "7FFF"
         "01"
         "A0"
         "87"
         "00");
    ASSERT_EQ(model.events().size(), 1u);
    EXPECT_EQ(model.events()[0], "2024-05-17 12:35:00 WE 2 - ALARM");
    line("AT+QVXH=0003000000"
         "1805110C2238"
         "00"
         "FF"
         "1130"
         "01"
         "01"
         "0003");
    EXPECT_EQ(model.events()[1], "2024-05-17 12:34:56 DTMF P:01 C:1130 G:01 Z:0003");
    line("AT+QVXH=0003000000"
         "1805110C2232"
         "00"
         "00"
         "000000000000");
    EXPECT_EQ(model.events()[2], "2024-05-17 12:34:50 "); // code 0: the stamp and one blank
    EXPECT_EQ(model.tagTable()[1].substr(0, 8), "AT+QVXH=");

    // Too short or not hexadecimal: skipped, and the next line is unharmed.
    model.receive("AT+QVXH=00030000001805112222320006\r\nAT+QVXH=0003000000180511222232ZZ06"
                  "7FFF01A08700\r\n+CPIN: READY\r\n");
    EXPECT_EQ(model.events().size(), 3u);
    EXPECT_EQ(v(MonitorValue::Sim).text, "OK");
}

TEST_F(MonitorModelTest, NotConfiguredMarkShowsBanner) {
    line("AT+QVXS=0;7A");
    line(std::string("ABC\x04"));
    EXPECT_TRUE(model.configBannerVisible());
    EXPECT_FALSE(model.waitBannerVisible());
    EXPECT_EQ(v(MonitorValue::Ac).text, "?");
}

TEST_F(MonitorModelTest, DisplayResetKeepsWhatItMust) {
    line("AT+QVXR=F1");
    line("AT+QVXS=0;7A;7D;0;0;0;1;10;0;0;0;7FFF;0;7FFF;111;0;5;0;FFF6;E6;0;0;2");
    line("AT+QVXH=0003000000"
         "1805110C2232"
         "0A"
         "06"
         "7FFF"
         "01"
         "A0"
         "87"
         "00");
    model.displayReset();
    EXPECT_EQ(v(MonitorValue::ResetCause).text, "Watchdog");
    EXPECT_EQ(v(MonitorValue::TLevel1).text, "-1,0 C");
    EXPECT_EQ(v(MonitorValue::Line).text, "Podniesiona");
    EXPECT_EQ(model.events().size(), 1u);
    EXPECT_EQ(v(MonitorValue::Ac).text, "?");
    EXPECT_EQ(v(MonitorValue::Ac).tooltip, "");
    EXPECT_EQ(model.signalGauge().value, 0);
    EXPECT_EQ(model.historyUsage().value, 0);
    EXPECT_EQ(in(0).light, InputLight::Unknown);
    EXPECT_EQ(in(0).tooltip, "Brak danych");
    EXPECT_EQ(model.outputs()[4].contact, OutputContact::Unknown);
    EXPECT_EQ(model.statusBarText(), "?");
    EXPECT_TRUE(model.waitBannerVisible());
    EXPECT_EQ(model.lineLog().back(), kResetMarker);
}

TEST_F(MonitorModelTest, SilenceHandling) {
    model.tick();
    EXPECT_EQ(model.waitBannerText(), "Oczekiwanie na dane (0sek.)");
    EXPECT_EQ(model.waitBannerBackground(), (Rgb{2, 248, 0}));
    line(std::string("X\x04"));
    EXPECT_TRUE(model.configBannerVisible());
    for (int i = 0; i < 16; ++i)
        model.tick();
    EXPECT_TRUE(model.waitBannerVisible());
    EXPECT_FALSE(model.configBannerVisible());
    model.takeEffects();
    for (int i = 0; i < 200 && model.timerRunning(); ++i)
        model.tick();
    EXPECT_EQ(model.silenceSeconds(), 0);
    EXPECT_FALSE(model.timerRunning());
    const auto effects = model.takeEffects();
    ASSERT_FALSE(effects.empty());
    EXPECT_EQ(effects.back().kind, MonitorEffectKind::SilenceMessage);
    model.tick(); // the timer is stopped while the message is shown
    EXPECT_EQ(model.silenceSeconds(), 0);
    model.silenceMessageDismissed();
    model.tick();
    EXPECT_EQ(model.silenceSeconds(), 1);
    model.receive("a");
    EXPECT_EQ(model.silenceSeconds(), 0);
}

TEST_F(MonitorModelTest, LogsAndListsAreBounded) {
    MonitorModel small(clock, MonitorModel::Options{'.', 3, 1000, 2});
    small.receive("AB\r\xB9");
    EXPECT_EQ(small.byteLog(), (std::vector<std::string>{"42 B", "0D .", "B9 ą"}));
    for (int code = 1; code <= 3; ++code)
        small.receive("\rAT+QVXH=0003000000"
                      "1805110C22320A0" +
                      std::to_string(code) + "7FFF01A08700\r");
    EXPECT_EQ(small.events(), (std::deque<std::string>{"2024-05-17 12:35:00 AC - ALARM",
                                                       "2024-05-17 12:35:00 Akumulator - ALARM"}));
    EXPECT_EQ(small.eventsAdded(), 3); // counts the one that went
    small.receive(std::string(100000, 'x') + "\r"); // a line without end is cut, not kept whole
    EXPECT_EQ(small.lineLog().back().size(), 9u + 65536u);
}

} // namespace
} // namespace qv
