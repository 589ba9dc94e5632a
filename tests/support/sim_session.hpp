#pragma once
// A whole link session against the simulated module on the virtual clock.
#include "link/link_session.hpp"
#include "link/round_trip.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace qv::test {

struct RecordingObserver : LinkObserver {
    std::vector<std::string> lines;
    std::vector<std::string> boxes;
    int gaugeMax = 0;
    int gauge = 0;
    int ended = 0;
    void logLine(const std::string& t) override { lines.push_back(t); }
    void gaugeMaximum(int m) override { gaugeMax = m; }
    void gaugeValue(int v) override { gauge = v; }
    void messageBox(const std::string& t) override { boxes.push_back(t); }
    void sessionEnded(int) override { ++ended; }
    std::vector<std::pair<int, int>> waits; // waited and limit, in milliseconds
    int waitsEnded = 0;
    void waitProgress(int waited, int limit) override { waits.emplace_back(waited, limit); }
    void waitEnded() override { ++waitsEnded; }
    std::vector<LatencyHint> hints;
    void latencyHint(const LatencyHint& h) override { hints.push_back(h); }
    bool has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    long count(const std::string& prefix) const {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
};

struct SimSession {
    explicit SimSession(SimOptions options = {}, SimMemory memory = SimMemory::fresh())
        : module(std::move(memory), std::move(options)) {}

    int run(LinkMode mode, std::string password = {}) {
        SessionRequest r;
        r.mode = mode;
        r.portName = "sim";
        r.password = std::move(password);
        return run(r);
    }
    int run(SessionRequest r) {
        obs = {};
        module.clearReceivedLog();
        return session.run(r);
    }
    std::vector<std::string> linesFrom(const std::string& first) const {
        auto it = std::find(obs.lines.begin(), obs.lines.end(), first);
        return {it, obs.lines.end()};
    }

    VirtualClock clock;
    SimModule module;
    SimPort port{module, clock};
    RecordingObserver obs;
    LinkSession session{port, clock, obs};
};

} // namespace qv::test
