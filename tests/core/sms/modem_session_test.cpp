// The modem session and the batch sender against the simulated modem on its virtual clock:
// every preparation failure gives its own message, a PIN is tried once, refused and lost
// messages keep their states, and a resumed batch never sends twice what the network took.
#include "sim/sim_memory.hpp"
#include "sim/sim_modem.hpp"
#include "sms/modem_session.hpp"
#include "sms/sms_sender.hpp"
#include "tools/sms_listing.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv {
namespace {

namespace fs = std::filesystem;

struct Recorder : SmsBatchObserver {
    std::optional<std::string> pinAnswer;
    int pinAsked = 0;
    std::vector<std::string> notes;
    std::vector<std::string> shared;
    std::vector<SmsReply> replies;
    std::vector<std::pair<Clock::TimePoint, std::string>> sent; // lines to the modem
    Clock* clock = nullptr;
    std::optional<std::string> pinWanted() override {
        ++pinAsked;
        return pinAnswer;
    }
    void note(const std::string& t) override { notes.push_back(t); }
    void portShared(const std::string& e) override { shared.push_back(e); }
    void replyReceived(const SmsReply& r) override { replies.push_back(r); }
    void modemLine(const std::string& line, bool fromProgram) override {
        if (fromProgram && clock) sent.emplace_back(clock->now(), line);
    }
};

struct PrepareCase {
    const char* name;
    const char* port;
    std::optional<std::string> pin;       // given with the request
    std::optional<std::string> pinAnswer; // given when asked
    bool ok;
    const char* message; // part of the message when not ok
    int pinTries;
    bool portShared;
};

class ModemPreparation : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(ModemPreparation, EndsAsExpected) {
    const auto& c = GetParam();
    std::string error;
    const auto options = parseSimModemPortName(c.port, error);
    ASSERT_TRUE(options) << error;
    SimModemPort port(*options);
    Recorder observer;
    observer.pinAnswer = c.pinAnswer;
    ModemSession session(port, port.clock(), observer);
    const ModemResult r = session.open("sim-modem", c.pin);
    EXPECT_EQ(r.ok, c.ok) << r.message;
    if (!c.ok) {
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
    }
    EXPECT_EQ(port.pinTries(), c.pinTries);
    EXPECT_EQ(!observer.shared.empty(), c.portShared);
    if (c.ok) {
        EXPECT_TRUE(session.reportsOn());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModemPreparation,
    ::testing::Values(
        PrepareCase{"ready", "sim-modem", {}, {}, true, "", 0, false},
        PrepareCase{"slow_network_registers_in_time", "sim-modem:slow", {}, {}, true, "", 0, false},
        PrepareCase{"roaming_is_allowed", "sim-modem:roaming", {}, {}, true, "", 0, false},
        PrepareCase{"no_sim", "sim-modem:nosim", {}, {}, false, "Brak karty SIM", 0, false},
        PrepareCase{"puk", "sim-modem:puk", {}, {}, false, "PUK", 0, false},
        PrepareCase{
            "no_network", "sim-modem:nonetwork", {}, {}, false, "nie znalazł sieci", 0, false},
        PrepareCase{"roaming_denied",
                    "sim-modem:roamingdenied",
                    {},
                    {},
                    false,
                    "odmówiła rejestracji",
                    0,
                    false},
        PrepareCase{"pin_given", "sim-modem:pin=1234", "1234", {}, true, "", 1, false},
        PrepareCase{"pin_asked", "sim-modem:pin=1234", {}, "1234", true, "", 1, false},
        PrepareCase{"wrong_pin_tried_once", "sim-modem:pin=1234", "9999", "1234", false,
                    "odrzuciła kod PIN", 1, false},
        PrepareCase{
            "pin_not_known", "sim-modem:pin=1234", {}, {}, false, "wymaga kodu PIN", 0, false},
        // The last try left is never spent; a modem that does not tell the tries is tried once.
        PrepareCase{"last_pin_try_left_alone", "sim-modem:pin=1234,pintries=1", "1234", "1234",
                    false, "ostatnia próba", 0, false},
        PrepareCase{
            "two_tries_left", "sim-modem:pin=1234,pintries=2", "1234", {}, true, "", 1, false},
        PrepareCase{"tries_not_told",
                    "sim-modem:pin=1234,pintries=1,nocpinr",
                    "1234",
                    {},
                    true,
                    "",
                    1,
                    false},
        PrepareCase{"pin_not_digits_never_tried",
                    "sim-modem:pin=1234",
                    "12a4",
                    {},
                    false,
                    "od 4 do 8 cyfr",
                    0,
                    false},
        PrepareCase{"port_held_by_another_program",
                    "sim-modem:busy",
                    {},
                    {},
                    false,
                    "Nie można otworzyć portu",
                    0,
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModemSession, AnotherProgramOnThePortIsReported) {
    std::string error;
    SimModemPort port(*parseSimModemPortName("sim-modem:probe", error));
    Recorder observer;
    ModemSession session(port, port.clock(), observer);
    session.open("sim-modem", std::nullopt);
    ASSERT_EQ(observer.shared.size(), 1u);
    EXPECT_NE(observer.shared[0].find("AT+GCAP"), std::string::npos);
}

// A batch store in memory, that can be made to fail.
struct MemoryStore : SmsBatchStore {
    std::vector<SmsBatch> batches;
    bool failSaves = false;
    std::optional<std::vector<SmsBatch>> loadAll(std::string&) override {
        auto copy = batches;
        for (auto& b : copy)
            b.markInterrupted();
        return copy;
    }
    bool save(const SmsBatch& batch, std::string& error) override {
        if (failSaves) {
            error = "dysk pełny";
            return false;
        }
        for (auto& b : batches)
            if (b.id == batch.id) {
                b = batch;
                return true;
            }
        batches.push_back(batch);
        return true;
    }
};

class BatchSending : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qvprog_sms_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        state_ = (dir_ / "module.json").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Three commands, each setting one byte far from the others.
    SmsBatch batch() const {
        SmsChange change;
        for (int offset : {600, 1200, 2400}) {
            SmsConfigCommand c;
            c.offset = offset;
            c.bytes = {static_cast<std::uint8_t>(offset / 100)};
            c.text = encodeSmsCommand(offset, c.bytes);
            c.labels = {"Obraz " + std::to_string(offset)};
            change.commands.push_back(c);
        }
        return makeSmsBatch("+48600100200", change, "test", {2024, 5, 1, 12, 0, 0, 0});
    }
    std::string port(const std::string& options = "") const {
        return "sim-modem:deliver=" + state_ + options;
    }
    ConfigImage moduleImage() const {
        std::string error;
        const auto m = loadSimMemory(state_, error);
        return m ? m->image : ConfigImage{};
    }
    std::vector<SmsMessageState> states(const SmsBatch& b) const {
        std::vector<SmsMessageState> out;
        for (const auto& m : b.messages)
            out.push_back(m.state);
        return out;
    }

    fs::path dir_;
    std::string state_;
};

using S = SmsMessageState;

struct SendCase {
    const char* name;
    const char* options;
    bool completed;
    std::vector<SmsMessageState> states;
    std::vector<int> applied; // offsets the module took
};

class BatchOutcomes : public BatchSending, public ::testing::WithParamInterface<SendCase> {};

TEST_P(BatchOutcomes, EachMessageEndsInItsState) {
    const auto& c = GetParam();
    std::string error;
    SimModemPort modem(*parseSimModemPortName(port(c.options), error));
    MemoryStore store;
    SmsBatch b = batch();
    Recorder observer;
    SmsBatchSender sender(b, store, modem, modem.clock(), observer);
    const SmsRunResult r = sender.run("sim-modem", std::nullopt);
    EXPECT_EQ(r.completed, c.completed) << r.message;
    EXPECT_EQ(states(b), c.states);
    ASSERT_EQ(store.batches.size(), 1u);
    EXPECT_EQ(states(store.batches[0]), c.states); // what a restart would find
    const ConfigImage image = moduleImage();
    for (int offset : {600, 1200, 2400}) {
        const bool applied =
            std::find(c.applied.begin(), c.applied.end(), offset) != c.applied.end();
        EXPECT_EQ(image[static_cast<std::size_t>(offset)] == offset / 100, applied) << offset;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BatchOutcomes,
                         ::testing::Values(SendCase{"all_delivered",
                                                    "",
                                                    true,
                                                    {S::delivered, S::delivered, S::delivered},
                                                    {600, 1200, 2400}},
                                           SendCase{"slow_network",
                                                    ",slow",
                                                    true,
                                                    {S::delivered, S::delivered, S::delivered},
                                                    {600, 1200, 2400}},
                                           SendCase{"reports_read_from_storage",
                                                    ",storedreports",
                                                    true,
                                                    {S::delivered, S::delivered, S::delivered},
                                                    {600, 1200, 2400}},
                                           SendCase{"cms_error_at_two",
                                                    ",cmserror=2,cmscode=42",
                                                    true,
                                                    {S::delivered, S::failed, S::delivered},
                                                    {600, 2400}},
                                           SendCase{"no_reports",
                                                    ",noreports",
                                                    true,
                                                    {S::accepted, S::accepted, S::accepted},
                                                    {600, 1200, 2400}},
                                           SendCase{"modem_vanishes_at_two",
                                                    ",vanish=2",
                                                    false,
                                                    {S::delivered, S::unknown, S::pending},
                                                    {600, 1200}},
                                           SendCase{"no_network_fails_before_sending",
                                                    ",nonetwork",
                                                    false,
                                                    {S::pending, S::pending, S::pending},
                                                    {}},
                                           SendCase{"every_message_refused",
                                                    ",cmserror=1",
                                                    true,
                                                    {S::failed, S::delivered, S::delivered},
                                                    {1200, 2400}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchSending, RefusalNamesTheModemsError) {
    std::string error;
    SimModemPort modem(*parseSimModemPortName(port(",cmserror=1,cmscode=42"), error));
    MemoryStore store;
    SmsBatch b = batch();
    Recorder observer;
    SmsBatchSender(b, store, modem, modem.clock(), observer).run("sim-modem", std::nullopt);
    EXPECT_EQ(b.messages[0].cmsError, 42);
    EXPECT_EQ(smsStateText(b.messages[0]), "nie wysłana: +CMS ERROR 42: przeciążenie sieci");
}

TEST_F(BatchSending, ResumeNeverSendsTwiceWhatTheNetworkMayHaveTaken) {
    std::string error;
    SimModemPort modem(*parseSimModemPortName(port(",vanish=2"), error));
    MemoryStore store;
    SmsBatch b = batch();
    Recorder observer;
    SmsBatchSender(b, store, modem, modem.clock(), observer).run("sim-modem", std::nullopt);
    ASSERT_EQ(modem.submittedTexts().size(), 2u);

    // After a restart: the batch as the store keeps it, the modem plugged in again.
    modem.plugInAgain();
    SmsBatch resumed = *unfinishedBatchFor(store, "+48600100200", error);
    EXPECT_EQ(states(resumed), (std::vector<S>{S::delivered, S::unknown, S::pending}));
    SmsBatchSender(resumed, store, modem, modem.clock(), observer).run("sim-modem", std::nullopt);
    const auto sent = modem.submittedTexts();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2], b.messages[2].command); // only the one never sent
    EXPECT_EQ(states(resumed), (std::vector<S>{S::delivered, S::unknown, S::delivered}));
    EXPECT_FALSE(resumed.finished());

    // The user checked the module: the unknown one went out.
    EXPECT_EQ(resolveUnknown(resumed, UnknownChoice::treatAsSent), 1);
    EXPECT_TRUE(resumed.finished());
    EXPECT_TRUE(resumed.allAccepted());
    EXPECT_EQ(smsStateText(resumed.messages[1]), "uznana za wysłaną");
}

TEST_F(BatchSending, MessageKeptAsBeingSentBeforeTheModemHasIt) {
    std::string error;
    SimModemPort modem(*parseSimModemPortName(port(), error));
    MemoryStore store;
    SmsBatch b = batch();
    Recorder observer;
    store.failSaves = true;
    const auto r =
        SmsBatchSender(b, store, modem, modem.clock(), observer).run("sim-modem", std::nullopt);
    EXPECT_FALSE(r.completed);
    EXPECT_NE(r.message.find("dysk pełny"), std::string::npos);
    EXPECT_TRUE(modem.submittedTexts().empty()); // nothing sent that could not be recorded
    EXPECT_EQ(states(b), (std::vector<S>{S::pending, S::pending, S::pending}));
}

TEST_F(BatchSending, StopRequestedAfterTheFirstMessageLeavesTheRestToResume) {
    struct Stopper : Recorder {
        SmsBatchSender* sender = nullptr;
        void messageChanged(const SmsBatch& b, std::size_t i) override {
            if (b.messages[i].state == SmsMessageState::accepted) sender->requestStop();
        }
    };
    std::string error;
    SimModemPort modem(*parseSimModemPortName(port(), error));
    MemoryStore store;
    SmsBatch b = batch();
    Stopper observer;
    SmsBatchSender sender(b, store, modem, modem.clock(), observer);
    observer.sender = &sender;
    const auto r = sender.run("sim-modem", std::nullopt);
    EXPECT_FALSE(r.completed);
    EXPECT_NE(r.message.find("przerwano"), std::string::npos);
    EXPECT_EQ(modem.submittedTexts().size(), 1u);
    EXPECT_EQ(states(store.batches[0]), (std::vector<S>{S::accepted, S::pending, S::pending}));
}

TEST_F(BatchSending, PauseBetweenMessagesAndRepliesWithTheirTime) {
    std::string error;
    SimModemPort modem(*parseSimModemPortName(port(",reply"), error));
    MemoryStore store;
    SmsBatch b = batch();
    Recorder observer;
    observer.clock = &modem.clock();
    SmsSendOptions options;
    options.interval = std::chrono::seconds(7);
    SmsBatchSender(b, store, modem, modem.clock(), observer, options).run("sim-modem", {});
    std::vector<Clock::TimePoint> submits;
    for (const auto& [t, line] : observer.sent)
        if (line.starts_with("AT+CMGS=")) submits.push_back(t);
    ASSERT_EQ(submits.size(), 3u);
    for (std::size_t k = 1; k < submits.size(); ++k)
        EXPECT_GE(submits[k] - submits[k - 1], std::chrono::seconds(7));
    ASSERT_EQ(observer.replies.size(), 3u);
    EXPECT_EQ(observer.replies[0].text, "OK");
    EXPECT_EQ(observer.replies[0].from, "+48600100200");
    EXPECT_EQ(observer.replies[0].sentAt.substr(0, 11), "2024-01-01 ");
    EXPECT_EQ(store.batches[0].replies.size(), 3u);
}

TEST_F(BatchSending, JsonStoreKeepsStatesAndRefusesADamagedFile) {
    const std::string path = (dir_ / "batches.json").string();
    JsonFileSmsBatchStore store(path);
    SmsBatch b = batch();
    b.messages[0].state = S::accepted;
    b.messages[0].reference = 17;
    b.messages[1].state = S::sending;
    b.replies.push_back({"+48600100200", "OK", "2024-05-01 12:00:00 +00:00", "x"});
    std::string error;
    ASSERT_TRUE(store.save(b, error)) << error;
    const auto back = store.loadAll(error);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 1u);
    SmsBatch expected = b;
    expected.markInterrupted();
    EXPECT_EQ((*back)[0], expected);
    EXPECT_EQ((*back)[0].messages[1].state, S::unknown);

    for (const char* damaged : {"{", "{\"version\":1,\"batches\":[{\"id\":1}]}",
                                "{\"version\":9,\"batches\":[]}", "[]"}) {
        {
            std::ofstream f(path, std::ios::trunc);
            f << damaged;
        }
        EXPECT_FALSE(store.loadAll(error)) << damaged;
        EXPECT_NE(error.find("uszkodzony"), std::string::npos);
        EXPECT_FALSE(store.save(b, error));
        std::ifstream f(path);
        const std::string kept((std::istreambuf_iterator<char>(f)), {});
        EXPECT_EQ(kept, damaged); // never overwritten
    }
}

} // namespace
} // namespace qv
