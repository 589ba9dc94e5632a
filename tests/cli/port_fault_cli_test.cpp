// A port that fails during a session: every device command exits 1 with the port message and
// writes no file, and a file already there keeps its bytes.
#include "cli_helpers.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void expectPortFailure(const CliRun& r) {
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("Błąd otwarcia portu: sim"), std::string::npos) << r.err;
}

// Bytes a session reads before the module's application starts: STX twice and the default
// identification answer.
constexpr int kHandshakeBytesRead = 2 + 21;

TEST(PortFaultCli, readsWriteNothingWhenThePortFailsMidTransfer) {
    const fs::path dir = scratchDir("portfault-reads");
    const fs::path qvx = dir / "out.qvx";
    const fs::path existing = dir / "old.bCFG";
    { std::ofstream(existing, std::ios::binary) << "the user's old file"; }
    // Writing block byte 200, or reading block answer 300, fails.
    for (const char* port : {"sim:writefail=200", "sim:readfail=300"}) {
        SCOPED_TRACE(port);
        const CliRun read = runCli("read " + qvx.string() + " --port " + port);
        expectPortFailure(read);
        EXPECT_NE(read.out.find("Czytam konfigurację"), std::string::npos);
        EXPECT_EQ(read.out.find("Konfiguracja została zapisana"), std::string::npos);
        EXPECT_FALSE(fs::exists(qvx));
        expectPortFailure(runCli("read " + existing.string() + " --port " + port));
        EXPECT_EQ(contents(existing), "the user's old file");

        const fs::path raw = dir / "events.bin";
        const fs::path text = dir / "history.txt";
        const CliRun events =
            runCli("events " + text.string() + " --raw " + raw.string() + " --port " + port);
        expectPortFailure(events);
        EXPECT_EQ(events.out.find("eventPosition"), std::string::npos);
        EXPECT_FALSE(fs::exists(raw));
        EXPECT_FALSE(fs::exists(text));

        const fs::path base = dir / "base.PHBINI";
        expectPortFailure(runCli("phonebase read " + base.string() + " --port " + port +
                                 ",id=X/B/NAME_0504/2392123"));
        EXPECT_FALSE(fs::exists(base));
    }
    const CliRun counters =
        runCli("counters --port sim:readfail=" + std::to_string(kHandshakeBytesRead + 10));
    expectPortFailure(counters);
    EXPECT_EQ(counters.out.find("Liczniki wejsc:"), std::string::npos);
    fs::remove_all(dir);
}

TEST(PortFaultCli, writesAndPortErrorsBeforeTheTransferExitOne) {
    const fs::path dir = scratchDir("portfault-writes");
    const fs::path qvx = dir / "in.qvx";
    ASSERT_EQ(runCli("defaults " + qvx.string()).exitCode, 0);
    const std::string state = "state=" + (dir / "module.json").string();

    const CliRun write =
        runCli("write " + qvx.string() + " --port sim:" + state + ",writefail=100");
    expectPortFailure(write);
    EXPECT_NE(write.out.find("Wysyłam konfigurację"), std::string::npos);
    EXPECT_EQ(write.out.find("Zapisano poprawnie"), std::string::npos);

    // "R", ">", 0x7F, then the 20 counter bytes.
    expectPortFailure(runCli("counters --write 1,2,3,4,5 --port sim:writefail=10"));
    expectPortFailure(runCli("erase --port sim:vanish=3"));
    expectPortFailure(runCli("identify --port sim:openfail"));
    expectPortFailure(runCli("identify --port sim:rtsfail"));

    const fs::path fw = dir / "module_050392.bin";
    { std::ofstream(fw, std::ios::binary) << std::string(300, '\x5A'); }
    expectPortFailure(runCli("firmware " + fw.string() + " --port sim:writefail=50"));
    fs::remove_all(dir);
}

} // namespace
} // namespace qv::test
