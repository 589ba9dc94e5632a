// The commands of a change: applied by a decoder of their own to the base image, they give the
// target image; they are as few as can be; each names the settings it changes.
#include "sms/sms_commands.hpp"

#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/memmap.hpp"
#include "tools/sms_listing.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <random>

namespace qv {
namespace {

// Applies one "*P" command to an image the way the module reads it; false for a text the module
// would ignore (wrong check letter, a letter out of range, odd data).
bool applyCommand(const std::string& text, ConfigImage& image) {
    if (text.size() < 8 || text.substr(0, 2) != "*P" || text.size() % 2 != 0) return false;
    unsigned sum = 0;
    for (std::size_t k = 3; k < text.size(); ++k)
        sum += static_cast<unsigned char>(text[k]);
    if (text[2] != 'A' + static_cast<int>(sum % 256 % 16)) return false;
    int address = 0;
    for (std::size_t k = 3; k < 6; ++k) {
        if (text[k] < 'A' || text[k] > 'Z') return false;
        address = address * 26 + (text[k] - 'A');
    }
    for (std::size_t k = 6; k < text.size(); k += 2) {
        const int hi = text[k] - 'A';
        const int lo = text[k + 1] - 'A';
        if (hi < 0 || hi > 15 || lo < 0 || lo > 15) return false;
        const auto at = static_cast<std::size_t>(address) + (k - 6) / 2;
        if (at < ConfigImage::kSize) image[at] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

ConfigImage defaultImage() {
    Settings s;
    applyDefaults(s);
    ConfigImage image;
    form2tab(s, image, "baza.qvx", "2024-01-01 12:00:00");
    return image;
}

// The fewest commands any cover of the changed bytes needs: leftmost-first greedy over the
// changed offsets, never across an excluded byte.
int fewestCommands(const ConfigImage& a, const ConfigImage& b) {
    int count = 0;
    int start = -1;
    for (int k = 0; k < static_cast<int>(ConfigImage::kSize); ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (excludedFromSmsCommands(k)) {
            start = -1;
            continue;
        }
        if (a[i] == b[i]) continue;
        if (start < 0 || k - start >= kSmsCommandMaxBytes) {
            ++count;
            start = k;
        }
    }
    return count;
}

TEST(SmsCommands, RandomEditsAppliedToTheBaseGiveTheTarget) {
    std::mt19937 rng(20240501);
    const ConfigImage defaults = defaultImage();
    for (int round = 0; round < 300; ++round) {
        ConfigImage base = defaults;
        if (round % 3 == 0)
            for (auto& b : base.bytes())
                b = static_cast<std::uint8_t>(rng());
        ConfigImage target = base;
        const int edits = 1 + static_cast<int>(rng() % 12);
        for (int e = 0; e < edits; ++e) {
            const int length = 1 + static_cast<int>(rng() % (e % 4 == 0 ? 150 : 16));
            const int at = static_cast<int>(rng() % (ConfigImage::kSize - 1));
            for (int k = at; k < at + length && k < static_cast<int>(ConfigImage::kSize); ++k)
                target[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(rng());
        }
        const SmsChange change = smsChangeCommands(base, target);
        ConfigImage applied = base;
        for (const auto& c : change.commands) {
            ASSERT_TRUE(applyCommand(c.text, applied)) << c.text;
            EXPECT_LE(c.bytes.size(), std::size_t(kSmsCommandMaxBytes));
            EXPECT_LE(c.text.size(), 134u);
            EXPECT_FALSE(c.labels.empty());
            for (std::size_t k = 0; k < c.bytes.size(); ++k)
                EXPECT_FALSE(excludedFromSmsCommands(c.offset + static_cast<int>(k)));
        }
        for (std::size_t k = 0; k < ConfigImage::kSize; ++k) {
            const auto& want = excludedFromSmsCommands(static_cast<int>(k)) ? base : target;
            ASSERT_EQ(applied[k], want[k]) << "round " << round << " offset " << k;
        }
        EXPECT_EQ(static_cast<int>(change.commands.size()), fewestCommands(base, target));
    }
}

struct ChangeCase {
    const char* name;
    struct Edit {
        int offset;
        int length;
        std::uint8_t value;
    };
    std::vector<Edit> edits;
    std::vector<std::pair<int, int>> commands; // offset, length of each command
    std::vector<std::string> firstLabels = {};
};

class SmsChangeCases : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(SmsChangeCases, GiveTheseCommands) {
    const ChangeCase& c = GetParam();
    const ConfigImage base = defaultImage();
    ConfigImage target = base;
    for (const auto& e : c.edits)
        for (int k = e.offset; k < e.offset + e.length; ++k)
            target[static_cast<std::size_t>(k)] = e.value;
    const SmsChange change = smsChangeCommands(base, target);
    std::vector<std::pair<int, int>> got;
    for (const auto& cmd : change.commands)
        got.emplace_back(cmd.offset, static_cast<int>(cmd.bytes.size()));
    EXPECT_EQ(got, c.commands);
    if (!c.firstLabels.empty()) {
        ASSERT_FALSE(change.commands.empty());
        EXPECT_EQ(change.commands[0].labels, c.firstLabels);
    }
}

using namespace memmap;
const int phone5 = alarmPhone(5);

INSTANTIATE_TEST_SUITE_P(
    Table, SmsChangeCases,
    ::testing::Values(
        ChangeCase{"one phone number",
                   {{phone5, 1, '6'}, {phone5 + 8, 1, '9'}},
                   {{phone5, 9}},
                   {"Numer telefonu \"Wejście 1\""}},
        ChangeCase{"two runs close together share a message",
                   {{phone5, 1, '1'}, {phone5 + 40, 1, '2'}},
                   {{phone5, 41}},
                   {"Numer telefonu \"Wejście 1\"", "Numer telefonu \"Wejście 3\""}},
        ChangeCase{
            "runs too far apart for one message", {{600, 1, 1}, {700, 1, 2}}, {{600, 1}, {700, 1}}},
        ChangeCase{"a second run is not dragged in when it saves nothing",
                   {{3000, 1, 1}, {3030, 51, 1}},
                   {{3000, 1}, {3030, 51}}},
        ChangeCase{"only the stamps differ", {{oPROG_DATE, 1, '9'}, {oFILE_NAME + 3, 1, 'x'}}, {}},
        ChangeCase{"the password is never sent", {{oPASSWORD, 1, '1'}}, {}},
        ChangeCase{"no command spans the password",
                   {{oPASSWORD - 1, 1, 1}, {oPIN, 1, '1'}},
                   {{oPASSWORD - 1, 1}, {oPIN, 1}}},
        ChangeCase{"a setting the listing has no line for",
                   {{outputName(1), 1, 'A'}},
                   {{outputName(1), 1}},
                   {"S5 1 – Nazwa"}},
        ChangeCase{"bytes nothing names", {{5000, 2, 7}}, {{5000, 2}}, {"Obraz 5000..5001"}},
        ChangeCase{"a shared flag byte carries every label of its lines",
                   {{oFLAGS1, 1, 0x3F}},
                   {{oFLAGS1, 1}},
                   {"Tryb ekonomiczny", "Aktywuj centralkę", "Tryb DGG16Z",
                    "Odpowiadaj testem na CLIP", "Pracuj w trybie GPRS",
                    "Sygnalizuj uzbrojenie/rozbrojenie"}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(SmsCommands, LongRunsAreCutIntoFullMessages) {
    const ConfigImage base = defaultImage();
    ConfigImage target = base;
    for (int k = 0; k < 130; ++k)
        target[static_cast<std::size_t>(2000 + k)] ^= 0xFF;
    const auto change = smsChangeCommands(base, target);
    ASSERT_EQ(change.commands.size(), 3u);
    EXPECT_EQ(change.commands[0].bytes.size(), 64u);
    EXPECT_EQ(change.commands[1].bytes.size(), 64u);
    EXPECT_EQ(change.commands[2].bytes.size(), 2u);
}

TEST(SmsCommands, PasswordDifferenceIsNoted) {
    const ConfigImage base = defaultImage();
    ConfigImage target = base;
    target.putTextField("1234", oPASSWORD, wPASSWORD);
    const auto change = smsChangeCommands(base, target);
    EXPECT_TRUE(change.commands.empty());
    ASSERT_EQ(change.notes.size(), 1u);
    EXPECT_NE(change.notes[0].find("Hasło"), std::string::npos);
}

TEST(SmsCommands, WholeConfigurationIsTheListingOnceEach) {
    ConfigImage image = defaultImage();
    const auto whole = smsWholeConfigurationCommands(image);
    const auto listing = smsListing(image);
    std::vector<std::string> distinct;
    for (const auto& line : listing) {
        const auto at = line.find("*P");
        if (at == std::string::npos) continue;
        const std::string cmd = line.substr(at);
        if (std::find(distinct.begin(), distinct.end(), cmd) == distinct.end())
            distinct.push_back(cmd);
    }
    std::vector<std::string> texts;
    for (const auto& c : whole.commands)
        texts.push_back(c.text);
    EXPECT_EQ(texts, distinct);
    const auto flags = std::find_if(whole.commands.begin(), whole.commands.end(),
                                    [](const auto& c) { return c.offset == oFLAGS1; });
    ASSERT_NE(flags, whole.commands.end());
    EXPECT_EQ(flags->labels.size(), 6u);
    EXPECT_EQ(joinedLabels(*flags).substr(0, 30), "Tryb ekonomiczny, Aktywuj cent");
}

} // namespace
} // namespace qv
