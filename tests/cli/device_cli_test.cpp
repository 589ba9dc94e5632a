// qvprog-cli device commands against the built-in simulated module.
#include "config/config_file.hpp"
#include "config/memmap.hpp"
#include "sim/sim_memory.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun cli(const std::string& args) {
    CliRun r;
    const std::string command = std::string(QVPROG_CLI_PATH) + " " + args + " 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p))
        r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class DeviceCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qvprog_cli_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        state_ = (dir_ / "module.json").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string sim(const std::string& extra = "") const {
        return "--port sim:state=" + state_ + extra;
    }
    SimMemory state() const {
        std::string error;
        auto m = loadSimMemory(state_, error);
        EXPECT_TRUE(m) << error;
        return m ? *m : SimMemory{};
    }
    fs::path dir_;
    std::string state_;
};

bool sameOutside(const ConfigImage& a, const ConfigImage& b,
                 std::initializer_list<std::pair<int, int>> skip) {
    for (std::size_t k = 0; k < a.size(); ++k) {
        bool skipped = false;
        for (auto [first, width] : skip)
            skipped |= static_cast<int>(k) >= first && static_cast<int>(k) < first + width;
        if (!skipped && a[k] != b[k]) {
            ADD_FAILURE() << "offset " << k << ": " << int(a[k]) << " != " << int(b[k]);
            return false;
        }
    }
    return true;
}

// Every byte of the image, also those no setting covers, survives write and read.
TEST_F(DeviceCli, writeThenReadRoundTripsTheConfiguration) {
    ASSERT_EQ(cli("defaults " + (dir_ / "base.bCFG").string()).status, 0);
    BinaryFileContents base;
    ASSERT_EQ(decodeBinaryFile(readFile(dir_ / "base.bCFG"), base), BinaryCheck::Ok);
    ConfigImage in;
    std::copy(base.payload.begin(), base.payload.begin() + ConfigImage::kSize, in.data());
    in[5119] = 0xA5; // past every field
    in[5000] = 0x3C;
    {
        std::ofstream f(dir_ / "in.bCFG", std::ios::binary);
        f << encodeBinaryFile(in);
    }

    const CliRun w = cli("write " + (dir_ / "in.bCFG").string() + " " + sim());
    EXPECT_EQ(w.status, 0) << w.out;
    EXPECT_NE(w.out.find("Zapisano poprawnie 5120bajtów"), std::string::npos);
    const ConfigImage sent = state().image;
    EXPECT_EQ(sent[5119], 0xA5);
    EXPECT_EQ(sent[5000], 0x3C);
    // Only the programming date and the file name are rewritten when the image is built.
    sameOutside(
        sent, in,
        {{memmap::oPROG_DATE, memmap::wPROG_DATE}, {memmap::oFILE_NAME, memmap::wFILE_NAME}});

    const CliRun r = cli("read " + (dir_ / "out.bCFG").string() + " " + sim());
    EXPECT_EQ(r.status, 0) << r.out;
    BinaryFileContents out;
    ASSERT_EQ(decodeBinaryFile(readFile(dir_ / "out.bCFG"), out), BinaryCheck::Ok);
    ConfigImage back;
    std::copy(out.payload.begin(), out.payload.begin() + ConfigImage::kSize, back.data());
    sameOutside(
        back, sent,
        {{memmap::oPROG_DATE, memmap::wPROG_DATE}, {memmap::oFILE_NAME, memmap::wFILE_NAME}});
}

TEST_F(DeviceCli, failedReadWritesNoFile) {
    const CliRun r = cli("read " + (dir_ / "out.bCFG").string() + " " + sim(",stop=100"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Timeout podczas transmisji!!!"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "out.bCFG"));
}

TEST_F(DeviceCli, passwordOptionReplacesTheConfigurationsPassword) {
    ASSERT_EQ(cli("defaults " + (dir_ / "in.qvx").string()).status, 0);
    EXPECT_EQ(cli("write " + (dir_ / "in.qvx").string() + " --password 1234 " + sim()).status, 0);
    EXPECT_EQ(state().password, "1234");
    const CliRun wrong = cli("read " + (dir_ / "o.qvx").string() + " --password 9999 " + sim());
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.out.find("Hasło niepoprawne."), std::string::npos);
    EXPECT_EQ(cli("read " + (dir_ / "o.qvx").string() + " --password 1234 " + sim()).status, 0);
    // Erase clears it: any password is accepted, but there is nothing to read.
    EXPECT_EQ(cli("erase " + sim()).status, 0);
    EXPECT_EQ(state().password, "");
    EXPECT_EQ(cli("read " + (dir_ / "o.qvx").string() + " " + sim()).status, 1);
}

TEST_F(DeviceCli, countersAndEvents) {
    EXPECT_EQ(cli("counters --write 5,4294967295,0,7,4294967295 " + sim()).status, 0);
    const CliRun r = cli("counters " + sim());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Wejscie 1 : 5\nWejscie 2 : 4294967295\nWejscie 3 : 0\n"),
              std::string::npos);
    EXPECT_EQ(cli("counters --write 1,2,x,4,5 " + sim()).status, 1);
    // The window's rule: what a read prints can be written back, a negative count cannot.
    const CliRun negative = cli("counters --write 1,2,3,-1,5 " + sim());
    EXPECT_EQ(negative.status, 1);
    EXPECT_NE(negative.out.find("Błędna wartość licznika wejścia 4: \"-1\""), std::string::npos)
        << negative.out;
    EXPECT_NE(cli("counters " + sim()).out.find("Wejscie 4 : 7\n"), std::string::npos);
    EXPECT_EQ(cli("counters --write 1,2 " + sim()).status, 2);

    const auto raw = dir_ / "events.bin";
    const CliRun e = cli("events --raw " + raw.string() + " " + sim());
    EXPECT_EQ(e.status, 0);
    EXPECT_NE(e.out.find("eventPosition: 3"), std::string::npos);
    const std::string bytes = readFile(raw);
    ASSERT_EQ(bytes.size(), 8000u);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[12]), 1); // first event: TEST przyciskiem
}

TEST_F(DeviceCli, counterWriteTakesExactlyFiveValues) {
    EXPECT_EQ(cli("counters --write 9,9,9,9,9 " + sim()).status, 0);
    for (const char* list : {"1,2,3,4,5,6", "1,2,3,4,5,", ",1,2,3,4,5", "1,2,3,4"}) {
        const CliRun r = cli(std::string("counters --write ") + list + " " + sim());
        EXPECT_EQ(r.status, 2) << list;
        EXPECT_EQ(r.out, "") << list; // refused before a session starts
    }
    EXPECT_NE(cli("counters " + sim()).out.find("Wejscie 1 : 9\nWejscie 2 : 9\n"),
              std::string::npos);
}

TEST_F(DeviceCli, firmwareAndFaultsAndBadUsage) {
    const auto fw = dir_ / "module_050392.bin";
    {
        std::ofstream f(fw, std::ios::binary);
        f << std::string(300, '\x5A');
    }
    const CliRun f = cli("firmware " + fw.string() + " " + sim());
    EXPECT_EQ(f.status, 0);
    EXPECT_NE(f.out.find("Rozmiar pliku mod: 512 Bytes"), std::string::npos);
    EXPECT_EQ(state().firmware.size(), 512u);

    EXPECT_EQ(cli("identify --port sim:silent").status, 1);
    EXPECT_EQ(cli("identify --port sim:id=X/B/NAME_0503/2377").status, 1);
    EXPECT_EQ(cli("identify --port sim:bogus").status, 2);
    EXPECT_EQ(cli("identify --port sim:late=x").status, 2);
    EXPECT_EQ(cli("read").status, 2);
    EXPECT_EQ(cli("identify --password").status, 2);

    // A state file that is not one is refused, and left as it was.
    const auto bad = dir_ / "bad.json";
    {
        std::ofstream b(bad);
        b << "{\"format\": \"qvprog-sim-module-1\", \"config\": \"zz\"}";
    }
    EXPECT_EQ(cli("identify --port sim:state=" + bad.string()).status, 2);
    EXPECT_EQ(readFile(bad), "{\"format\": \"qvprog-sim-module-1\", \"config\": \"zz\"}");
}

} // namespace
} // namespace qv
