// Short messages in PDU form against examples published with the standards' explanations, and
// the decoders against what a modem should never give but might.
#include "sms/sms_pdu.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

struct SubmitCase {
    const char* number;
    const char* text;
    SubmitOptions options;
    const char* hex;
    int length;
};

class SubmitExamples : public ::testing::TestWithParam<SubmitCase> {};

TEST_P(SubmitExamples, EncodeAsPublished) {
    const auto& c = GetParam();
    std::string error;
    const auto pdu = encodeSubmit(c.number, c.text, c.options, error);
    ASSERT_TRUE(pdu) << error;
    EXPECT_EQ(pdu->hex, c.hex);
    EXPECT_EQ(pdu->tpduLength, c.length);
    const auto back = decodeSubmit(pdu->hex);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, c.text);
    EXPECT_EQ(back->statusReport, c.options.statusReport);
}

INSTANTIATE_TEST_SUITE_P(
    Published, SubmitExamples,
    ::testing::Values(
        // The classic "hellohello" to +46708251358, valid four days, no report asked.
        SubmitCase{"+46708251358",
                   "hellohello",
                   {false, kValidityFourDays, 0},
                   "0011000B916407281553F80000AA0AE8329BFD4697D9EC37",
                   23},
        // "hello" to a national number of odd length.
        SubmitCase{"1234567",
                   "hello",
                   {false, kValidityFourDays, 0},
                   "0011000781214365F70000AA05E8329BFD06",
                   17},
        // What the program sends: a delivery report asked for, valid one day.
        SubmitCase{"+48 600-100-200",
                   "*PMAGSBO",
                   {},
                   "0031000B918406100002F00000A7082A6833789C0A9F",
                   21}));

TEST(SmsPdu, DecodesPublishedSubmitInUcs2) {
    const auto s = decodeSubmit("0001000B813124819396F300080A00680065006C006C006F");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->number, "13421839693");
    EXPECT_EQ(s->text, "hello");
    EXPECT_FALSE(s->statusReport);
}

struct DeliverCase {
    const char* hex;
    const char* sender;
    SmsTimestamp sent;
    const char* text;
};

class DeliverExamples : public ::testing::TestWithParam<DeliverCase> {};

TEST_P(DeliverExamples, DecodeAsPublished) {
    const auto& c = GetParam();
    const auto tpdu = tpduOctets(c.hex, std::nullopt);
    ASSERT_TRUE(tpdu);
    EXPECT_EQ(messageTypeOf(*tpdu), 0);
    const auto sms = decodeDeliver(*tpdu);
    ASSERT_TRUE(sms);
    EXPECT_EQ(sms->sender, c.sender);
    ASSERT_TRUE(sms->sent);
    EXPECT_EQ(*sms->sent, c.sent);
    EXPECT_EQ(sms->text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Published, DeliverExamples,
    ::testing::Values(
        DeliverCase{"07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37",
                    "27838890001",
                    {1999, 3, 29, 15, 16, 59, 8},
                    "hellohello"},
        DeliverCase{"07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07",
                    "+31641600986",
                    {2002, 8, 26, 19, 37, 41, 0},
                    "How are you?"}));

TEST(SmsPdu, DecodesPublishedStatusReportWithoutServiceCentre) {
    const auto tpdu = tpduOctets("06000B910221815716F2709021510121807090215101718000", 25);
    ASSERT_TRUE(tpdu);
    const auto r = decodeStatusReport(*tpdu);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->reference, 0);
    EXPECT_EQ(r->recipient, "+20121875612");
    EXPECT_EQ(r->submitted, (SmsTimestamp{2007, 9, 12, 15, 10, 12, 8}));
    EXPECT_EQ(r->discharged, (SmsTimestamp{2007, 9, 12, 15, 10, 17, 8}));
    EXPECT_EQ(r->outcome(), ReportOutcome::delivered);
    EXPECT_EQ(timestampText(*r->discharged), "2007-09-12 15:10:17 +02:00");
}

TEST(SmsPdu, ReportStatusClasses) {
    struct Case {
        std::uint8_t status;
        ReportOutcome outcome;
    };
    for (const auto& c :
         {Case{0x00, ReportOutcome::delivered}, Case{0x01, ReportOutcome::delivered},
          Case{0x22, ReportOutcome::stillTrying}, Case{0x46, ReportOutcome::failed},
          Case{0x62, ReportOutcome::failed}}) {
        StatusReport r;
        r.status = c.status;
        EXPECT_EQ(r.outcome(), c.outcome) << int(c.status);
        EXPECT_FALSE(reportStatusText(c.status).empty());
    }
}

TEST(SmsPdu, DamagedInputGivesNothing) {
    for (const char* hex :
         {"", "0", "0G", "07917283010010F5", "07917283010010F504", "07917283010010F5040BC872388809",
          "FF", "0031000B91840600", "00060C91534810325476171160"}) {
        const auto tpdu = tpduOctets(hex, std::nullopt);
        if (!tpdu) continue;
        EXPECT_FALSE(decodeDeliver(*tpdu)) << hex;
        EXPECT_FALSE(decodeStatusReport(*tpdu)) << hex;
        EXPECT_FALSE(decodeSubmit(hex)) << hex;
    }
    // A user data length beyond the octets there are.
    const auto longer = tpduOctets("00040B911346610089F60000208062917314080FC8F7", std::nullopt);
    ASSERT_TRUE(longer);
    EXPECT_FALSE(decodeDeliver(*longer));
    // A service centre length beyond the octets, and a length that does not match.
    EXPECT_FALSE(tpduOctets("0991", std::nullopt));
    EXPECT_FALSE(tpduOctets("00110000", 5));
}

TEST(SmsPdu, DefaultAlphabet) {
    const auto septets = gsm7Septets("@£$ €[x]");
    ASSERT_TRUE(septets);
    EXPECT_EQ(septets->size(), 11u); // € [ ] take two each
    EXPECT_EQ(gsm7Text(*septets), "@£$ €[x]");
    EXPECT_FALSE(gsm7Septets("zażółć"));
    EXPECT_FALSE(gsm7Septets("\xC3"));
    const std::vector<std::uint8_t> seven(7, 0x7F);
    EXPECT_EQ(packSeptets(seven).size(), 7u);
    EXPECT_EQ(unpackSeptets(packSeptets(seven), 7), seven);
    EXPECT_FALSE(unpackSeptets({0x01}, 2));
}

TEST(SmsPdu, RefusesWhatCannotBeSent) {
    std::string error;
    EXPECT_FALSE(encodeSubmit("600 1OO 200", "x", {}, error));
    EXPECT_NE(error.find("numer"), std::string::npos);
    EXPECT_FALSE(encodeSubmit("600100200", "ą", {}, error));
    EXPECT_FALSE(encodeSubmit("600100200", std::string(161, 'A'), {}, error));
    EXPECT_TRUE(encodeSubmit("600100200", std::string(160, 'A'), {}, error));
}

TEST(SmsPdu, PhoneNumbers) {
    struct Case {
        const char* typed;
        std::optional<std::string> normal;
    };
    for (const auto& c :
         {Case{"+48 600-100-200", "+48600100200"}, Case{"600100200", "600100200"},
          Case{"", std::nullopt}, Case{"+", std::nullopt}, Case{"60+0", std::nullopt},
          Case{"600a", std::nullopt}, Case{"123456789012345678901", std::nullopt}})
        EXPECT_EQ(normalisedPhoneNumber(c.typed), c.normal) << c.typed;
    struct Same {
        const char* a;
        const char* b;
        bool same;
    };
    for (const auto& c :
         {Same{"+48600100200", "600100200", true}, Same{"+48600100200", "0048600100200", true},
          Same{"600100200", "600100201", false}, Same{"12345", "+4812345", false},
          Same{"112", "112", true}, Same{"", "", false}})
        EXPECT_EQ(samePhoneNumber(c.a, c.b), c.same) << c.a << " " << c.b;
}

TEST(SmsPdu, CmsErrorsInPolish) {
    EXPECT_EQ(cmsErrorText(331), "+CMS ERROR 331: brak sieci");
    EXPECT_EQ(cmsErrorText(330).substr(0, 36), "+CMS ERROR 330: nieznany numer centr");
    EXPECT_NE(cmsErrorText(17).find("sieć"), std::string::npos);
    EXPECT_NE(cmsErrorText(600).find("modemu"), std::string::npos);
}

} // namespace
} // namespace qv
