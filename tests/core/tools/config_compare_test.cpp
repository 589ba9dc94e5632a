#include "tools/config_compare.hpp"

#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/memmap.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace qv {
namespace {

namespace fs = std::filesystem;

Settings defaults() {
    Settings s;
    applyDefaults(s);
    return s;
}

struct OneChange {
    std::function<void(Settings&)> change;
    SettingDifference expected;
};

TEST(CompareSettings, EachKindOfSettingIsReportedWithItsKeyLabelAndShownValues) {
    const OneChange cases[] = {
        {[](Settings& s) { s.eventCnt = 7; }, {"EVENT_COUNTER", "Licznik naruszeń", "5", "8"}},
        {[](Settings& s) { s.clipTime = 1; }, {"CLIP_LENGTH", "Długość CLIP", "Długi", "Średni"}},
        {[](Settings& s) { s.analog3 = -1; },
         {"ANALOG_INPUT_3", "Próg alarmowy wejścia nr 3", "1,5", ""}},
        {[](Settings& s) { s.useGprs = true; }, {"USE_GPRS", "Pracuj w trybie GPRS", "nie", "tak"}},
        {[](Settings& s) { setRadio(s.dgg16z, s.vorkal, true); },
         {"VORKAL_MODE", "Kompatybilność", "VORKAL", "DGG16Z"}},
        {[](Settings& s) { setRadio(s.input(7).nc, s.input(7).no, true); },
         {"INPUT_NO.7", "Wejście 3(A) – NC/NO", "NO", "NC"}},
        {[](Settings& s) { s.object = "1234"; }, {"OBJECT", "Numer obiektu", "0001", "1234"}},
        {[](Settings& s) { s.input(5).alarmPhone = "600100200"; },
         {"ALARM_PHONE.5", "Wejście 1(K) – Nr telefonu (alarm)", "", "600100200"}},
        {[](Settings& s) { s.input(2).deafTime = 89; },
         {"INPUT_DEAF_TIME.2", "Wejście AC – Czas wejścia", "3", "90"}},
        {[](Settings& s) {
             s.input(3).alarmAction[1] = {"CLIP", ActionColour::Blue};
         },
         {"ALARM_ACTION.3.2", "Akumulator – A1 (telefon prywatny 1)", "", "CLIP"}},
        {[](Settings& s) {
             s.input(10).returnAction[0] = {"C+S", ActionColour::Teal};
         },
         {"RETURN_ACTION.10.1", "Ex 1 – Powrót", "", "C+S"}},
        {[](Settings& s) { s.input(9).zoneBellMask = true; },
         {"ZONE_BELL_MASK1.9", "Wejście 5 – Wejścia wzbudzające", "nie", "tak"}},
        {[](Settings& s) { s.output(2).type = 5; },
         {"OUTPUT_TYPE2", "Ex 1 – Tryb pracy", "Bistabilne SMS", "Monostabline CLIP/SMS"}},
        {[](Settings& s) { s.addPhones[55] = "601"; },
         {"ADD_PHONE.56", "Dodatkowe numery sterujące – 56", "", "601"}},
        {[](Settings& s) { s.securityPhones[1] = "602"; },
         {"SECURITY_PHONE.2", "Numery uprawnione – 2", "", "602"}},
        {[](Settings& s) { s.sensor2LevelH = "31"; },
         {"SENSOR_2_LevelH", "Czujnik temperatury na wejściu 2 – próg górny", "30.8", "31.0"}},
        {[](Settings& s) { s.gsmLevel = 31; }, {"GSM_LEVEL", "Poziom zasięgu GSM", "10%", "103%"}},
    };
    const Settings a = defaults();
    for (const auto& c : cases) {
        Settings b = a;
        c.change(b);
        const auto diff = compareSettings(a, b);
        ASSERT_EQ(diff.size(), 1u) << c.expected.key;
        EXPECT_EQ(diff[0], c.expected);
    }
}

TEST(CompareSettings, HiddenSecretsShowOnlyWhetherTheyAreSet) {
    const auto a = defaults();
    auto b = a;
    b.password = "1234";
    b.pin = "";
    b.object = "0427";
    auto differences = compareSettings(a, b);
    hideSecretValues(differences);
    ASSERT_EQ(differences.size(), 3u);
    for (const auto& d : differences) {
        if (d.key == "OBJECT") {
            EXPECT_EQ(d.valueB, "0427"); // everything else as it is
        } else {
            EXPECT_TRUE(d.key == "PIN" || d.key == "PASSWORD") << d.key;
            EXPECT_EQ(d.key == "PIN" ? d.valueA : d.valueB, "ustawione");
            EXPECT_EQ(d.key == "PIN" ? d.valueB : d.valueA, "nie ustawione");
        }
    }
}

TEST(CompareSettings, AnOutputParameterShowsTheItemOfItsOwnList) {
    Settings a = defaults();
    a.output(3).type = 4;
    applyOutputTypeRule(a, 3);
    Settings b = a;
    a.output(3).param = 5;
    b.output(3).type = 7;
    applyOutputTypeRule(b, 3);
    b.output(3).param = 29;
    const auto diff = compareSettings(a, b);
    ASSERT_EQ(diff.size(), 2u);
    EXPECT_EQ(diff[0].key, "OUTPUT_TYPE3");
    EXPECT_EQ(diff[1],
              (SettingDifference{"OUTPUT_PARAM3", "Ex 2 – Parametr", "Wejście 2(Z)", "30 sec."}));
}

TEST(CompareSettings, DifferencesComeInTheFileKeyOrder) {
    const Settings a = defaults();
    Settings b = a;
    b.armOnClip = true;
    b.input(4).returnText = "x";
    b.addPhones[0] = "1";
    b.pin = "1111";
    std::vector<std::string> keys;
    for (const auto& d : compareSettings(a, b))
        keys.push_back(d.key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"PIN", "ADD_PHONE.1", "RETURN_TEXT.4", "ARM_ON_CLIP"}));
    EXPECT_TRUE(compareSettings(a, a).empty());
}

TEST(CompareSettings, WhatNeverReachesTheModuleIsNotADifference) {
    const Settings a = defaults();
    Settings b = a;
    // Slot 1 has no return notification: its return fields are not applicable.
    b.input(1).returnPhone = "600";
    b.input(1).returnText = "r";
    b.input(1).returnPrivText = "p";
    b.input(1).returnAction[2].text = "SMS";
    b.description = {"memo"};
    b.input(5).description = "opis";
    b.output(1).alias = "name";
    b.input(1).alarmAction[0].colour = ActionColour::Red; // a colour is no value of its own
    // Neither button of a pair chosen is what the conversion takes as the first one.
    b.vorkal = false;
    b.smsQvs2 = false;
    b.input(6).no = false;
    EXPECT_TRUE(compareSettings(a, b).empty());
}

TEST(CompareImages, OnlyBytesNoSettingCoversAreReportedInRuns) {
    ConfigImage a;
    ConfigImage b = a;
    b[0] = 1;
    b[156] = 7; // between two settings
    for (std::size_t k = 4785; k < 4790; ++k)
        b[k] = 0xAA; // a run after the last field
    b[5119] = 1;
    b[1172] = 3;                     // slot 16's input time: never written
    b[memmap::oPIN] = 'x';           // a setting covers it
    b[memmap::kProgDateFirst] = '9'; // the programming date
    b[memmap::oFILE_NAME + 3] = 'q'; // the file name stamp
    b[memmap::oFLAGS1] = 0xC0;       // a flag byte is rewritten whole
    const auto ranges = compareImages(a, b);
    EXPECT_EQ(ranges, (std::vector<ByteRange>{
                          {0, 0}, {156, 156}, {1172, 1172}, {4785, 4789}, {5119, 5119}}));
    EXPECT_TRUE(compareImages(b, b).empty());
    // Read back byte for byte, every offset counts.
    const auto all = differingBytes(a, b);
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(rangeText(all[3]), "125");
    EXPECT_EQ(rangeText({4785, 4789}), "4785..4789");
}

TEST(CompareImages, TheCoveredBytesAreExactlyThoseTheConversionWrites) {
    for (std::size_t k : {27u, 103u, 151u, 152u, 401u, 409u, 3970u, 3972u, 4533u, 4783u, 4784u})
        EXPECT_TRUE(coveredBySettings(k)) << k;
    for (std::size_t k : {26u, 156u, 167u, 230u, 406u, 1813u, 3941u, 4608u, 4785u, 5120u})
        EXPECT_FALSE(coveredBySettings(k)) << k;
}

// Saved files of one configuration, opened as the window opens them.
class CompareFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qvprog_compare_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::unique_ptr<ConfigDocument> open(const std::string& name) {
        auto doc = std::make_unique<ConfigDocument>(clock_, dir_.string() + "/");
        doc->startUp("COM1");
        EXPECT_TRUE(doc->openFile(path(name)).opened) << name;
        return doc;
    }
    VirtualClock clock_{{2024, 5, 17, 9, 5, 3, 0}};
    fs::path dir_;
};

TEST_F(CompareFiles, TheTextAndBinaryFilesOfOneConfigurationCompareEqual) {
    ConfigDocument doc(clock_, dir_.string() + "/");
    doc.startUp("COM1");
    Settings& s = doc.settings();
    s.input(1).alarmPhone = "600100200"; // the image repeats it in slot 1's return phone
    s.input(1).alarmText = "TEST";
    s.input(1).alarmAction[0] = {"SMS", ActionColour::Red};
    s.input(1).alarmAction[3] = {"C/S", ActionColour::Purple};
    s.input(6).alarmPrivText = "Zażółć gęślą jaźń";
    s.sensor5LevelL = "-4.75";
    s.output(1).type = 4;
    applyOutputTypeRule(s, 1);
    s.output(1).param = 8;
    setRadio(s.smsStam, s.smsQvs2, true);
    s.bellTime = -1;
    ASSERT_TRUE(doc.saveFile(path("a.qvx")).saved);
    clock_.advance(std::chrono::seconds(61));
    ASSERT_TRUE(doc.saveFile(path("b.qvx")).saved);
    ASSERT_TRUE(doc.saveFile(path("c.bCFG")).saved);

    const auto a = open("a.qvx");
    for (const char* other : {"b.qvx", "c.bCFG"}) {
        const auto b = open(other);
        EXPECT_EQ(compareSettings(a->settings(), b->settings()), std::vector<SettingDifference>{})
            << other;
        EXPECT_EQ(compareImages(a->image(), b->image()), std::vector<ByteRange>{}) << other;
    }
}

TEST_F(CompareFiles, AnEditedWindowComparesWithoutStampingItsOwnImage) {
    ConfigDocument doc(clock_, dir_.string() + "/");
    doc.startUp("COM1");
    ASSERT_TRUE(doc.saveFile(path("saved.bCFG")).saved);
    const auto saved = open("saved.bCFG");

    doc.settings().object = "4321";
    doc.settings().sensor5LevelL = saved->settings().sensor5LevelL + "0"; // one more digit
    doc.image()[156] = 0x5A; // a byte no setting covers, as a read module may hold
    const ConfigImage before = doc.image();
    const Settings edited = doc.settings();
    clock_.advance(std::chrono::hours(30));
    const auto copy = doc.convertedCopy();
    const ConfigImage& converted = copy.image;
    EXPECT_TRUE(doc.image() == before);
    EXPECT_EQ(doc.settings(), edited);
    EXPECT_EQ(converted[156], 0x5A);

    // The temperature text compares as the conversion writes it, so only the object differs.
    const Comparison c =
        compareConfigurations(copy.settings, converted, saved->settings(), saved->image());
    EXPECT_FALSE(c.same());
    ASSERT_EQ(c.settings.size(), 1u);
    EXPECT_EQ(c.settings[0].key, "OBJECT");
    EXPECT_EQ(c.ranges, (std::vector<ByteRange>{{156, 156}}));
    EXPECT_EQ(hexBytes(converted, c.ranges[0]), "5A");
    EXPECT_EQ(hexBytes(converted, {150, 160}, 3), hexBytes(converted, {150, 152}) + " ...");
    EXPECT_TRUE(
        compareConfigurations(saved->settings(), saved->image(), saved->settings(), saved->image())
            .same());
}

} // namespace
} // namespace qv
