// qvprog-cli sms-send through the simulated modem: the change reaches the simulated module (a
// later read shows it), failures exit with 1 and say why, a stopped batch resumes without
// sending twice, and wrong usage exits with 2.
#include "cli_helpers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace qv::test {
namespace {

class SmsSendCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(runCli("defaults " + file("a.qvx")).exitCode, 0);
        ASSERT_EQ(runCli("write " + file("a.qvx") + " --port sim:state=" + file("m.json")).exitCode,
                  0);
        // Two phones and the APN changed.
        std::ifstream in(file("a.qvx"));
        std::ofstream out(file("b.qvx"));
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("ALARM_PHONE.5=")) line = "ALARM_PHONE.5=600100200";
            if (line.starts_with("ALARM_PHONE.9=")) line = "ALARM_PHONE.9=511222333";
            if (line.starts_with("APN=")) line = "APN=internet.example";
            out << line << '\n';
        }
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }
    std::string send(const std::string& modemOptions, const std::string& extra = "") const {
        return "sms-send " + file("b.qvx") + " --base " + file("a.qvx") +
               " --to +48600100200 --batch " + file("batches.json") +
               " --modem sim-modem:deliver=" + file("m.json") + modemOptions + " " + extra;
    }
    std::string resume(const std::string& extra = "") const {
        return "sms-send --resume --to 600100200 --batch " + file("batches.json") +
               " --modem sim-modem:deliver=" + file("m.json") + " " + extra;
    }
    // What a read of the simulated module shows against b.qvx: nothing when the change arrived.
    CliRun diffModule() const {
        return runCli("diff module " + file("b.qvx") + " --port sim:state=" + file("m.json"));
    }
    static int lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    std::string dir_;
};

TEST_F(SmsSendCli, WriteThroughTheModemThenReadShowsTheChange) {
    ASSERT_EQ(diffModule().exitCode, 1);
    const CliRun r = runCli(send(""));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out), 3);
    EXPECT_NE(r.out.find("1/3 APN: *P"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2/3 Numer telefonu \"Wejście 1\": *P"), std::string::npos);
    EXPECT_NE(r.out.find("3/3 Numer telefonu \"Wejście 5\": *P"), std::string::npos);
    EXPECT_NE(r.out.find("– doręczona"), std::string::npos);
    const CliRun d = diffModule();
    EXPECT_EQ(d.exitCode, 0) << d.out;
    // The same change again: nothing left to send.
    EXPECT_EQ(runCli("sms-send " + file("b.qvx") + " --base " + file("b.qvx") +
                     " --to 600100200 --modem sim-modem --batch " + file("batches.json"))
                  .out,
              "Brak zmian do wysłania\n");
}

TEST_F(SmsSendCli, DryRunPrintsTheCommandsAndSendsNothing) {
    const CliRun r =
        runCli("sms-send " + file("b.qvx") + " --base " + file("a.qvx") + " --dry-run");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(lines(r.out), 3);
    EXPECT_EQ(r.out.find("– "), std::string::npos); // no state: nothing was sent
    EXPECT_EQ(diffModule().exitCode, 1);
    const CliRun all = runCli("sms-send " + file("b.qvx") + " --all --dry-run");
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(lines(all.out), 163);
}

struct FailureCase {
    const char* options;
    const char* reason; // on standard error or in a message's line
};

class SmsSendFailures : public SmsSendCli, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SmsSendFailures, ExitWithOneAndSayWhy) {
    const CliRun r = runCli(send(GetParam().options, "--interval 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE((r.out + r.err).find(GetParam().reason), std::string::npos) << r.out << r.err;
}

INSTANTIATE_TEST_SUITE_P(Table, SmsSendFailures,
                         ::testing::Values(FailureCase{",nosim", "Brak karty SIM w modemie"},
                                           FailureCase{",pin=1234", "wymaga kodu PIN (--pin)"},
                                           FailureCase{",puk", "PUK"},
                                           FailureCase{",nonetwork", "nie znalazł sieci"},
                                           FailureCase{",roamingdenied", "odmówiła rejestracji"},
                                           FailureCase{",cmserror=2,cmscode=331",
                                                       "nie wysłana: +CMS ERROR 331: brak sieci"},
                                           FailureCase{",busy", "ModemManager może zajmować port"},
                                           FailureCase{",vanish=1", "stan nieznany"}));

TEST_F(SmsSendCli, ResumeAfterTheModemVanishedSendsOnlyWhatWasLeft) {
    CliRun r = runCli(send(",vanish=1"));
    ASSERT_EQ(r.exitCode, 1);
    // A new batch to the same number is refused while this one is unfinished.
    r = runCli(send(""));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("--resume"), std::string::npos);
    // The unknown message waits for the user's word.
    r = runCli(resume());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Nie wiadomo, czy wiadomość 1 wyszła"), std::string::npos) << r.err;
    r = runCli(resume("--unknown sent"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("1/3 APN: *P"), std::string::npos);
    EXPECT_NE(r.out.find("uznana za wysłaną"), std::string::npos);
    EXPECT_NE(r.out.find("3/3 Numer telefonu \"Wejście 5\": *P"), std::string::npos);
    EXPECT_EQ(diffModule().exitCode, 0);     // the vanished modem's message went out
    EXPECT_EQ(runCli(resume()).exitCode, 1); // nothing unfinished any more
}

TEST_F(SmsSendCli, BaseFromTheArchiveBatchInTheArchiveAndAReadConfirmsIt) {
    const std::string archive = file("archiwum.sqlite");
    ::setenv("QVPROG_ARCHIVE", archive.c_str(), 1);
    struct Restore {
        std::string was;
        ~Restore() { ::setenv("QVPROG_ARCHIVE", was.c_str(), 1); }
    } restore{std::getenv("QVPROG_ARCHIVE") ? std::getenv("QVPROG_ARCHIVE") : ""};
    ASSERT_EQ(runCli("write " + file("a.qvx") + " --port sim:state=" + file("m.json")).exitCode, 0);
    const std::string to = " --to 600100200 --modem sim-modem:deliver=" + file("m.json");
    for (const std::string base :
         {"--archive-entry 9", "--archive-entry x", "--archive-serial 999"})
        EXPECT_EQ(runCli("sms-send " + file("b.qvx") + " " + base + to).exitCode, 1) << base;

    CliRun r = runCli("sms-send " + file("b.qvx") + " --archive-serial 2392123" + to);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out), 4) << r.out; // three messages and the archive's new entry
    EXPECT_NE(r.out.find("Archiwum: wpis 2 "), std::string::npos) << r.out;
    EXPECT_NE(runCli("archive list").out.find("2\t"), std::string::npos);
    EXPECT_NE(runCli("archive list").out.find("SMS (niepotwierdzony)"), std::string::npos);
    // The batch is in the archive, not in a file: a resume finds nothing left.
    EXPECT_EQ(runCli("sms-send --resume" + to).exitCode, 1);

    ASSERT_EQ(runCli("read " + file("c.qvx") + " --port sim:state=" + file("m.json")).exitCode, 0);
    EXPECT_NE(runCli("archive list").out.find("SMS (potwierdzony odczytem)"), std::string::npos);
    // The next change's base is the module's latest entry: the read, so nothing to send.
    r = runCli("sms-send " + file("b.qvx") + " --archive-serial 2392123" + to);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Brak zmian"), std::string::npos) << r.out;
}

TEST_F(SmsSendCli, WrongUsageExitsWithTwo) {
    const std::string in = file("b.qvx");
    for (const std::string& args : std::vector<std::string>{
             "sms-send", "sms-send " + in, "sms-send " + in + " --to 600100200 --modem sim-modem",
             "sms-send " + in + " --base " + in + " --all --to 600100200 --modem sim-modem",
             "sms-send " + in + " --all --to 6001OO200 --modem sim-modem",
             "sms-send " + in + " --all --to 600100200",
             "sms-send " + in + " --all --to 600100200 --modem sim-modem --interval -1",
             "sms-send " + in + " --all --to 600100200 --modem sim-modem --unknown sent",
             "sms-send " + in + " --all --to 600100200 --modem sim-modem:bogus",
             "sms-send " + in + " --all --to 600100200 --modem sim-modem --resume --new",
             "sms-send --resume --dry-run --to 600100200"})
        EXPECT_EQ(runCli(args).exitCode, 2) << args;
    const CliRun archive = runCli("sms-send " + in +
                                  " --archive-entry 7 --to 600100200 --modem "
                                  "sim-modem");
    EXPECT_EQ(archive.exitCode, 1);
    EXPECT_NE(archive.err.find("7"), std::string::npos) << archive.err;
}

} // namespace
} // namespace qv::test
