// The real backend on a pseudo-terminal pair: the test holds the master side, the port under
// test opens the slave by name.
#include "qtport/qt_serial_port.hpp"

#include "link/link_session.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace qv {
namespace {

class PtyPair : public ::testing::Test {
  protected:
    void SetUp() override {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        slave_ = ptsname(master_);
    }
    void TearDown() override { close(master_); }

    std::string readMaster(std::size_t n) {
        std::string got;
        while (got.size() < n) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) break;
            char buf[256];
            const auto r = ::read(master_, buf, std::min(sizeof buf, n - got.size()));
            if (r <= 0) break;
            got.append(buf, static_cast<std::size_t>(r));
        }
        return got;
    }
    void writeMaster(const std::string& s) {
        ASSERT_EQ(::write(master_, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }

    int master_ = -1;
    std::string slave_;
};

TEST_F(PtyPair, bytesGoBothWaysAndWaitsEndAtTheirDeadline) {
    auto port = makeQtSerialPort();
    port->open(slave_);
    ASSERT_TRUE(port->isOpen());
    port->setBaudRate(kLinkBaudRate);

    EXPECT_EQ(port->write(std::string("R\x3E\x00\xFF", 4)), 4u);
    EXPECT_EQ(readMaster(4), std::string("R\x3E\x00\xFF", 4));

    std::uint8_t buf[16];
    EXPECT_EQ(port->readAvailable(buf), 0u); // never waits
    EXPECT_FALSE(port->waitReadable(std::chrono::milliseconds(30)));

    writeMaster(std::string("\x02X/B", 4));
    EXPECT_TRUE(port->waitReadable(std::chrono::seconds(2)));
    std::string got;
    while (got.size() < 4 && port->waitReadable(std::chrono::seconds(2))) {
        const auto n = port->readAvailable(buf);
        got.append(reinterpret_cast<const char*>(buf), n);
    }
    EXPECT_EQ(got, std::string("\x02X/B", 4));
    port->close();
    EXPECT_FALSE(port->isOpen());
}

TEST_F(PtyPair, purgeDropsWhatWasReceived) {
    auto port = makeQtSerialPort();
    port->open(slave_);
    writeMaster("garbage");
    ASSERT_TRUE(port->waitReadable(std::chrono::seconds(2)));
    usleep(20000);
    port->purge(true, true);
    std::uint8_t buf[16];
    EXPECT_EQ(port->readAvailable(buf), 0u);
    writeMaster("ok");
    ASSERT_TRUE(port->waitReadable(std::chrono::seconds(2)));
    usleep(20000);
    EXPECT_EQ(port->readAvailable(buf), 2u);
    EXPECT_EQ(buf[0], 'o');
}

TEST_F(PtyPair, missingPortFailsWithTheSystemsReason) {
    auto port = makeQtSerialPort();
    try {
        port->open("/dev/qvprog-no-such-port");
        FAIL() << "opened a missing port";
    } catch (const PortError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_FALSE(port->isOpen());
}

TEST_F(PtyPair, readBufferBoundsWhatThePortKeeps) {
    auto port = makeQtSerialPort();
    port->open(slave_);
    port->setReadBufferSize(1024);
    writeMaster(std::string(3000, 'x'));
    ASSERT_TRUE(port->waitReadable(std::chrono::seconds(2)));
    usleep(20000);
    // The port takes at most its buffer from the system at a time; the rest waits there.
    std::uint8_t buf[4096];
    std::size_t total = 0;
    for (int k = 0; k < 50 && total < 3000; ++k) {
        const std::size_t n = port->readAvailable(buf);
        EXPECT_LE(n, 1024u);
        total += n;
        if (n == 0) port->waitReadable(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(total, 3000u);
}

TEST_F(PtyPair, receiveBufferEightyPercentFullIsReportedOncePerFilling) {
    auto port = makeQtSerialPort();
    port->open(slave_);
    port->setReadBufferSize(1000);
    EXPECT_FALSE(port->takeLineEvents().receiveBuffer80Full);
    writeMaster(std::string(850, 'x')); // 85 % of the buffer, waiting in the system
    ASSERT_TRUE(port->waitReadable(std::chrono::seconds(2)));
    usleep(20000);
    const PortLineEvents first = port->takeLineEvents();
    EXPECT_TRUE(first.receiveBuffer80Full);
    EXPECT_FALSE(first.breakReceived); // a pseudo-terminal counts no breaks
    EXPECT_FALSE(port->takeLineEvents().receiveBuffer80Full);
    std::uint8_t buf[1024];
    std::size_t total = 0;
    while (total < 850 && port->waitReadable(std::chrono::seconds(2)))
        total += port->readAvailable(buf);
    EXPECT_FALSE(port->takeLineEvents().receiveBuffer80Full);
    writeMaster(std::string(900, 'y'));
    ASSERT_TRUE(port->waitReadable(std::chrono::seconds(2)));
    usleep(20000);
    EXPECT_TRUE(port->takeLineEvents().receiveBuffer80Full);
    port->close();
    EXPECT_FALSE(port->takeLineEvents().receiveBuffer80Full); // closed: nothing to tell
}

struct Recorder : LinkObserver {
    std::vector<std::string> lines, boxes;
    void logLine(const std::string& t) override { lines.push_back(t); }
    void messageBox(const std::string& t) override { boxes.push_back(t); }
};

// A pseudo-terminal has no RTS line: the reset pulse fails, and the session ends cleanly with
// the port message.
TEST_F(PtyPair, sessionOnAPortWithoutRtsEndsWithThePortMessage) {
    auto port = makeQtSerialPort();
    SystemClock clock;
    Recorder rec;
    LinkSession session(*port, clock, rec);
    SessionRequest r;
    r.mode = LinkMode::identify;
    r.portName = slave_;
    EXPECT_EQ(session.run(r), -1);
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0], "Błąd otwarcia portu: " + slave_);
    ASSERT_FALSE(rec.lines.empty());
    EXPECT_EQ(rec.lines.back().rfind("Błąd otwarcia portu: " + slave_ + " (", 0), 0u);
    EXPECT_FALSE(port->isOpen());
}

} // namespace
} // namespace qv
