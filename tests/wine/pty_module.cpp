// Test harness for the Windows check: serves the simulated module (or a plain echo) on the
// master side of a pseudo-terminal, so that a program under Wine talks to it through a COM port
// mapped to the terminal's slave side.
//
//   pty_module --link PATH [--rts-fifo FIFO] [--exclusive] (--echo | --module [OPTIONS] | --modem
//   [OPTIONS])
//
// --link PATH      makes PATH a symbolic link to the slave side (Wine: dosdevices/comN)
// --rts-fifo FIFO  reads RTS changes from FIFO, one byte each ('R' raised, 'r' dropped), as
//                  fake_modem_lines writes them; raised RTS holds the module in reset
// --exclusive      holds the terminal in exclusive mode (TIOCEXCL), as a program that owns the
//                  port does: any other open fails with EBUSY unless the opener may administer
//                  the system (CAP_SYS_ADMIN)
// --echo           sends back every byte
// --module OPTS    the simulated module with the options of the port name "sim:OPTS" (its
//                  memory kept in state=PATH when given), on the real clock with the wire time
//                  of 115200 baud
// --modem OPTS     the simulated GSM modem with the options of the port name "sim-modem:OPTS",
//                  on the real clock (deliver=PATH: the module its messages reach)
//
// It prints "ready" once the link is in place and runs until SIGTERM or SIGINT, then saves the
// module's memory.
#include "common/clock.hpp"
#include "sim/sim_modem.hpp"
#include "sim/sim_setup.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t stopping = 0;
void onSignal(int) {
    stopping = 1;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const auto w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd p{fd, POLLOUT, 0};
                poll(&p, 1, 100);
                continue;
            }
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

int usage() {
    std::cerr << "usage: pty_module --link PATH [--rts-fifo FIFO] [--exclusive] (--echo | --module "
                 "[OPTIONS] | "
                 "--modem [OPTIONS])\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string link, fifo, options;
    std::string modemOptions;
    bool echo = false, module = false, modem = false, exclusive = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--link" && i + 1 < argc)
            link = argv[++i];
        else if (a == "--rts-fifo" && i + 1 < argc)
            fifo = argv[++i];
        else if (a == "--exclusive")
            exclusive = true;
        else if (a == "--echo")
            echo = true;
        else if (a == "--module") {
            module = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') options = argv[++i];
        } else if (a == "--modem") {
            modem = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') modemOptions = argv[++i];
        } else
            return usage();
    }
    if (link.empty() || int(echo) + int(module) + int(modem) != 1) return usage();

    std::unique_ptr<qv::SimSetup> sim;
    if (module) {
        std::string error;
        const auto spec = qv::parseSimPortSpec(options.empty() ? "sim" : "sim:" + options, error);
        if (spec) sim = qv::SimSetup::create(*spec, error);
        if (!sim) {
            std::cerr << "pty_module: " << error << '\n';
            return 2;
        }
    }

    std::unique_ptr<qv::SimModemPort> gsm;
    if (modem) {
        std::string error;
        auto parsed = qv::parseSimModemPortName("sim-modem:" + (modemOptions.empty()
                                                                    ? std::string("realtime")
                                                                    : modemOptions + ",realtime"),
                                                error);
        if (!parsed) {
            std::cerr << "pty_module: " << error << '\n';
            return 2;
        }
        gsm = std::make_unique<qv::SimModemPort>(*parsed);
        gsm->open("sim-modem");
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pty_module: pseudo-terminal");
        return 1;
    }
    const std::string slavePath = ptsname(master);
    // Held open so the master never sees a hang-up between the program's sessions; raw, so the
    // terminal neither echoes nor translates a byte before the program sets its own modes.
    const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (slave < 0 || tcgetattr(slave, &tio) != 0) {
        std::perror("pty_module: slave side");
        return 1;
    }
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    if (exclusive && ioctl(slave, TIOCEXCL) != 0) {
        std::perror("pty_module: exclusive mode");
        return 1;
    }
    ::unlink(link.c_str());
    if (symlink(slavePath.c_str(), link.c_str()) != 0) {
        std::perror("pty_module: link");
        return 1;
    }
    int rts = -1;
    if (!fifo.empty() && (rts = open(fifo.c_str(), O_RDWR | O_NONBLOCK)) < 0) {
        std::perror("pty_module: FIFO");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::cout << "ready " << slavePath << std::endl;

    qv::SystemClock clock;
    std::vector<std::uint8_t> buf(4096);
    while (!stopping) {
        // Sleep until a byte comes from either side or the module's next byte is due.
        timespec wait{1, 0};
        if (gsm) wait = {0, 20'000'000}; // the modem's answers come on its own clock
        if (sim) {
            const auto now = clock.now();
            if (const auto next = sim->module().nextEvent(now)) {
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*next - now);
                const long long n = std::max<long long>(0, std::min<long long>(ns.count(), 1e9));
                wait = {static_cast<time_t>(n / 1000000000), static_cast<long>(n % 1000000000)};
            }
        }
        pollfd fds[2] = {{master, POLLIN, 0}, {rts, POLLIN, 0}};
        const int r = ppoll(fds, rts >= 0 ? 2 : 1, &wait, nullptr);
        if (r < 0 && errno != EINTR) break;
        // RTS first: a reset pulse precedes what the program sends after it.
        if (rts >= 0 && (fds[1].revents & POLLIN)) {
            char c[64];
            const auto n = ::read(rts, c, sizeof c);
            for (ssize_t i = 0; sim && i < n; ++i)
                sim->module().setReset(c[i] == 'R', clock.now());
        }
        if (fds[0].revents & POLLIN) {
            const auto n = ::read(master, buf.data(), buf.size());
            if (n > 0) {
                const std::span<const std::uint8_t> got(buf.data(), static_cast<std::size_t>(n));
                if (echo && !writeAll(master, got.data(), got.size())) break;
                if (sim) sim->module().receive(got, clock.now());
                if (gsm) gsm->write(got);
            }
        }
        if (sim) {
            const auto n = sim->module().read(buf, clock.now());
            if (n > 0 && !writeAll(master, buf.data(), n)) break;
        }
        if (gsm) {
            const auto n = gsm->readAvailable(buf);
            if (n > 0 && !writeAll(master, buf.data(), n)) break;
        }
    }
    int status = 0;
    if (sim) {
        std::string error;
        if (!sim->saveState(error)) {
            std::cerr << "pty_module: " << error << '\n';
            status = 1;
        }
    }
    ::unlink(link.c_str());
    close(slave);
    close(master);
    return status;
}
