// Batches of configuration SMS kept in the archive: read back as kept, a completed batch leaves
// one entry of what the module should now hold, a later read confirms it, and a process killed
// in the middle of a batch loses nothing and makes nothing go out twice.
#include "archive/sms_batch_archive.hpp"
#include "archive_helpers.hpp"
#include "sim/sim_modem.hpp"
#include "sms/sms_sender.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qv::test {
namespace {

using S = SmsMessageState;

// A module read into the archive, and a change of its site's name and first phone number.
struct Scenario {
    explicit Scenario(const std::string& name) : folder(name) {
        auto opened = ConfigArchive::open(path(), ConfigArchive::Access::create);
        baseEntry = opened.archive->add(sampleEntry("7001234", "Sklep", "0001")).value;
        base = opened.archive->entry(baseEntry).value->image;
        target = siteImage("Magazyn", "0001", "600700800");
        // Two settings far from the site's: four messages in all.
        for (std::size_t at : {3000u, 4500u})
            if (!excludedFromSmsCommands(int(at))) target.bytes()[at] ^= 0x01;
        change = smsChangeCommands(base, target);
    }
    std::string path() const { return folder.path("archive.sqlite"); }
    std::string modem(const std::string& options = "") const {
        return "sim-modem:deliver=" + folder.path("module.json") + options;
    }
    SmsBatch newBatch(ArchiveSmsBatchStore& store) const {
        SmsBatch b = makeSmsBatch("+48600100200", change, "test", {2024, 5, 1, 12, 0, 0, 0});
        store.setTarget(b.id, {imageAfterCommands(base, change), baseEntry, "7001234"});
        return b;
    }
    std::vector<ArchiveEntrySummary> entries() const {
        return ConfigArchive::open(path(), ConfigArchive::Access::existing)
            .archive->entries("7001234")
            .value;
    }

    ScratchFolder folder;
    std::int64_t baseEntry = 0;
    ConfigImage base;
    ConfigImage target;
    SmsChange change;
    VirtualClock clock;
};

TEST(SmsBatchArchive, KeepsEveryStateAndReadsASendingMessageAsUnknown) {
    Scenario s("sms_states");
    ASSERT_GE(s.change.commands.size(), 2u);
    ArchiveSmsBatchStore store(s.path(), s.clock);
    std::string error;
    EXPECT_TRUE(store.loadAll(error)->empty());
    SmsBatch b = s.newBatch(store);
    b.messages[0].state = S::delivered;
    b.messages[1].state = S::sending;
    ASSERT_TRUE(store.save(b, error)) << error;
    ASSERT_TRUE(store.save(b, error)) << error; // the same batch again replaces it

    ArchiveSmsBatchStore again(s.path(), s.clock);
    const auto all = again.loadAll(error);
    ASSERT_TRUE(all) << error;
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ(all->front().messages[0].state, S::delivered);
    EXPECT_EQ(all->front().messages[1].state, S::unknown);
    EXPECT_EQ(unfinishedBatchFor(again, "600100200", error)->id, b.id);
    // Nothing was complete, so nothing was added to the module's entries.
    EXPECT_EQ(s.entries().size(), 1u);
}

TEST(SmsBatchArchive, CompletedBatchAddsOneUnconfirmedEntryAndAReadConfirmsIt) {
    Scenario s("sms_complete");
    ArchiveSmsBatchStore store(s.path(), s.clock, "ola");
    SmsBatch b = s.newBatch(store);
    std::string error;
    SimModemPort modem(*parseSimModemPortName(s.modem(), error));
    SmsBatchObserver quiet;
    const auto r =
        SmsBatchSender(b, store, modem, modem.clock(), quiet).run("sim-modem", std::nullopt);
    ASSERT_TRUE(r.completed) << r.message;
    ASSERT_TRUE(b.allAccepted());
    ASSERT_NE(store.completionEntry(), 0);
    ASSERT_TRUE(store.save(b, error)); // kept again: still one entry
    auto list = s.entries();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].state, kStateSmsUnconfirmed);
    EXPECT_EQ(list[0].siteName, "Magazyn");
    EXPECT_EQ(list[0].model, list[1].model); // the module's identity from its base entry

    // Reads of the module: what each one does to the entry sent by SMS.
    struct ReadCase {
        const char* what;
        ConfigImage image;
        std::string_view stateAfter;
    };
    ConfigImage otherDate = imageAfterCommands(s.base, s.change);
    for (std::size_t k = 0; k < ConfigImage::kSize; ++k)
        if (excludedFromSmsCommands(static_cast<int>(k))) otherDate.bytes()[k] ^= 0x01;
    ConfigImage otherSetting = imageAfterCommands(s.base, s.change);
    otherSetting.bytes()[s.change.commands[0].offset] ^= 0x01;
    const std::vector<ReadCase> cases = {
        {"a setting differs", otherSetting, kStateSmsUnconfirmed},
        {"only bytes no SMS sets differ", otherDate, kStateSmsConfirmed},
    };
    auto opened = ConfigArchive::open(s.path(), ConfigArchive::Access::existing);
    for (const auto& c : cases) {
        NewArchiveEntry read = sampleEntry("7001234");
        read.image = c.image;
        ASSERT_TRUE(opened.archive->add(read).ok());
        EXPECT_EQ(opened.archive->entry(list[0].id).value->summary.state, c.stateAfter) << c.what;
    }
}

TEST(SmsBatchArchive, BatchWithoutAModuleAddsNoEntry) {
    Scenario s("sms_no_serial");
    ArchiveSmsBatchStore store(s.path(), s.clock);
    SmsBatch b = makeSmsBatch("+48600100200", s.change, "test", {});
    store.setTarget(b.id, {s.target, 0, ""});
    for (auto& m : b.messages)
        m.state = S::accepted;
    std::string error;
    ASSERT_TRUE(store.save(b, error)) << error;
    EXPECT_EQ(store.completionEntry(), 0);
    EXPECT_EQ(s.entries().size(), 1u);
}

TEST(SmsBatchArchive, AnArchiveWithoutBatchesGetsTheirTableAndKeepsItsEntries) {
    Scenario s("sms_upgrade");
    // The file as the program wrote it before it kept batches (the step that adds them is the
    // latest one).
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(s.path().c_str(), &db), SQLITE_OK);
    const std::string before = "DROP TABLE sms_batches; PRAGMA user_version = " +
                               std::to_string(kArchiveSchemaVersion - 1) + ";";
    ASSERT_EQ(sqlite3_exec(db, before.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    ArchiveSmsBatchStore store(s.path(), s.clock);
    std::string error;
    ASSERT_TRUE(store.save(s.newBatch(store), error)) << error;
    EXPECT_EQ(store.loadAll(error)->size(), 1u);
    EXPECT_EQ(s.entries().size(), 1u);
}

TEST(SmsBatchArchive, DamagedBatchIsReportedNotSkipped) {
    Scenario s("sms_damaged");
    auto opened = ConfigArchive::open(s.path(), ConfigArchive::Access::existing);
    StoredSmsBatch row{"x", "+48600100200", "2024-05-01 12:00:00", false, "{nie json", 0, {}, "",
                       0};
    ASSERT_TRUE(opened.archive->saveSmsBatch(row, nullptr).ok());
    ArchiveSmsBatchStore store(s.path(), s.clock);
    std::string error;
    EXPECT_FALSE(store.loadAll(error));
    EXPECT_NE(error.find("uszkodzony"), std::string::npos);
}

// A stored number that is not a whole number in range (a fraction, 3e69, 2^40) is a damaged
// store, refused with its reason, never converted.
TEST(SmsBatchArchive, NumbersOutOfRangeAreRefused) {
    const std::string head = R"({"version":1,"batches":[{"id":"b","number":"+48600100200",)"
                             R"("messages":[{"command":"*PABC","labels":[],"state":"pending",)";
    const std::string tail = "}]}]}";
    std::string error;
    ASSERT_TRUE(smsBatchesFromJson(head + R"("offset":12)" + tail, error)) << error;
    for (const char* bad : {R"("offset":3e69)", R"("offset":1.5)", R"("offset":1099511627776)",
                            R"("offset":12,"reference":-9999999999)", R"("offset":"12")"}) {
        error.clear();
        EXPECT_FALSE(smsBatchesFromJson(head + bad + tail, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

#ifndef _WIN32
TEST(SmsBatchArchive, ProcessKilledWhileSendingResumesWithoutSendingTwice) {
    Scenario s("sms_killed");
    ASSERT_GE(s.change.commands.size(), 3u);
    std::string batchId;
    {
        ArchiveSmsBatchStore probe(s.path(), s.clock);
        batchId = s.newBatch(probe).id;
    }
    // The child is killed once the second message is kept as being sent, before the modem has
    // it; the first went out.
    const pid_t pid = ::fork();
    if (pid == 0) {
        struct Killer : SmsBatchObserver {
            void messageChanged(const SmsBatch& b, std::size_t i) override {
                if (i == 1 && b.messages[i].state == S::sending) ::_exit(9);
            }
        } killer;
        VirtualClock clock;
        ArchiveSmsBatchStore store(s.path(), clock);
        SmsBatch b = s.newBatch(store);
        std::string error;
        SimModemPort modem(*parseSimModemPortName(s.modem(), error));
        SmsBatchSender(b, store, modem, modem.clock(), killer).run("sim-modem", std::nullopt);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 9);

    ArchiveSmsBatchStore store(s.path(), s.clock);
    std::string error;
    SmsBatch b = *unfinishedBatchFor(store, "+48600100200", error);
    EXPECT_TRUE(b.messages[0].state == S::accepted || b.messages[0].state == S::delivered);
    EXPECT_EQ(b.messages[1].state, S::unknown);
    SimModemPort modem(*parseSimModemPortName(s.modem(), error));
    SmsBatchObserver quiet;
    SmsBatchSender(b, store, modem, modem.clock(), quiet).run("sim-modem", std::nullopt);
    std::vector<std::string> expected;
    for (std::size_t k = 2; k < b.messages.size(); ++k)
        expected.push_back(b.messages[k].command);
    EXPECT_EQ(modem.submittedTexts(), expected); // neither the sent one nor the unknown one
    EXPECT_FALSE(b.finished());

    // The user says the unknown one never arrived: only it goes out.
    resolveUnknown(b, UnknownChoice::resend);
    SimModemPort again(*parseSimModemPortName(s.modem(), error));
    SmsBatchSender(b, store, again, again.clock(), quiet).run("sim-modem", std::nullopt);
    EXPECT_EQ(again.submittedTexts(), std::vector<std::string>{b.messages[1].command});
    EXPECT_TRUE(b.allAccepted());
    EXPECT_EQ(s.entries().front().state, kStateSmsUnconfirmed);
}
#endif

} // namespace
} // namespace qv::test
