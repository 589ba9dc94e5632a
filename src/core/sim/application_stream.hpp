#pragma once
// What the simulated module's running application emits on its own (the live monitor's line
// stream). The simulated module calls it; the real generator lives elsewhere and is plugged in
// with SimModule::setApplicationStream.
#include "common/clock.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct SimMemory;

// Time zero of a stream is the moment the application starts streaming: 1 s after it has sent
// ETX and its status bytes (the window in which it takes a command byte), or at once after it
// has finished serving a command. Every restart of the module (reset, power) restarts the
// stream with a new start() call.
class ApplicationStream {
  public:
    virtual ~ApplicationStream() = default;
    // The application starts streaming; memory is what the module holds.
    virtual void start(const SimMemory& memory) = 0;
    // The bytes emitted after the previous call, up to sinceStart (Windows-1250 bytes).
    virtual std::string emitUntil(Clock::Duration sinceStart) = 0;
    // When the next byte after sinceStart will be emitted, so waits on the real clock can wake
    // in time; nothing means "not known" (the waiting side then wakes at its own deadline).
    virtual std::optional<Clock::Duration> nextEmission(Clock::Duration /*sinceStart*/) const {
        return std::nullopt;
    }
    // A byte the program sent to the running application once streaming began (AT lines,
    // restart and clock commands).
    virtual void received(std::uint8_t /*byte*/, Clock::Duration /*sinceStart*/) {}
};

} // namespace qv
