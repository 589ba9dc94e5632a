#include "sim/sim_module.hpp"

#include "link/identification.hpp"
#include "link/link_types.hpp"

#include <algorithm>
#include <utility>

namespace qv {

namespace {
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kPasswordOk = 0x0F;
constexpr std::uint8_t kPasswordWrong = 0x15;
constexpr std::size_t kMaxFirmware = 64 * 1024;
} // namespace

SimModule::SimModule(SimMemory memory, SimOptions options)
    : memory_(std::move(memory)), options_(std::move(options)) {
    memory_.events.resize(kEventBufferLength, 0xFF);
    memory_.phoneBase.resize(kPhoneBaseLength, 0xFF);
}

int SimModule::subVersion() const {
    return parseIdentification(filterIdentification(options_.identification)).subVersion;
}

std::size_t SimModule::blockLength() const {
    switch (block_) {
    case Block::writeConfig:
    case Block::readConfig:
        return kConfigLength;
    case Block::readEvents:
        return kEventBufferLength;
    case Block::readPhoneBase:
    case Block::writePhoneBase:
        return kPhoneBaseLength;
    case Block::none:
        break;
    }
    return 0;
}

std::optional<SimModule::TimePoint> SimModule::nextTimer() const {
    if (!timerArmed_) return std::nullopt;
    return phaseTimer_;
}

void SimModule::advanceTo(TimePoint t) {
    for (;;) {
        const auto timer = nextTimer();
        if (!timer || *timer > t) break;
        now_ = std::max(now_, *timer);
        fireTimer();
    }
    now_ = std::max(now_, t);
    if (phase_ == Phase::appStreaming && stream_) emit(stream_->emitUntil(now_ - streamStart_));
}

void SimModule::fireTimer() {
    timerArmed_ = false;
    switch (phase_) {
    case Phase::bootloader:
        startApplication();
        break; // nothing asked: start on its own
    case Phase::appPassword:
        passwordDone();
        break;
    case Phase::appCommands:
        startStreaming();
        break;
    default:
        break;
    }
}

void SimModule::emit(std::string_view bytes, Duration delay) {
    for (char c : bytes)
        emitByte(static_cast<std::uint8_t>(c), delay);
}

void SimModule::emitByte(std::uint8_t b, Duration delay) {
    if (options_.faults.silent) return;
    if (options_.faults.zeros) b = 0;
    const TimePoint at = std::max(now_ + delay, moduleTxFree_) + kByteTime;
    moduleTxFree_ = at;
    out_.push_back({at + options_.adapterLatency, b});
}

void SimModule::setReset(bool asserted, TimePoint now) {
    advanceTo(now);
    if (asserted) {
        if (phase_ != Phase::reset) ++resetCount_;
        heardSinceReset_ = false;
        phase_ = Phase::reset;
        timerArmed_ = false;
        while (!out_.empty() && out_.back().at > now)
            out_.pop_back();
        moduleTxFree_ = std::min(moduleTxFree_, now);
        return;
    }
    if (phase_ != Phase::reset) return;
    phase_ = Phase::bootloader;
    recent_.clear();
    phaseTimer_ = now_ + kBootloaderIdle;
    timerArmed_ = true;
    if (options_.faults.noStx) {
        emitByte('?', kBootDelay);
        return;
    }
    if (options_.faults.noiseBeforeStx) emit("\xFF\x55", kBootDelay);
    emitByte(kStx, kBootDelay);
}

void SimModule::receive(std::span<const std::uint8_t> bytes, TimePoint now) {
    for (std::uint8_t b : bytes) {
        const TimePoint arrival = std::max(now, hostTxFree_) + kByteTime;
        hostTxFree_ = arrival;
        advanceTo(arrival);
        receivedLog_.push_back(static_cast<char>(b));
        heardSinceReset_ = true;
        handleByte(b);
    }
}

std::size_t SimModule::read(std::span<std::uint8_t> out, TimePoint now) {
    advanceTo(now);
    std::size_t n = 0;
    while (n < out.size() && !out_.empty() && out_.front().at <= now) {
        out[n++] = out_.front().value;
        out_.pop_front();
    }
    return n;
}

bool SimModule::hasByte(TimePoint now) {
    advanceTo(now);
    return !out_.empty() && out_.front().at <= now;
}

void SimModule::purgeReceived(TimePoint now) {
    advanceTo(now);
    while (!out_.empty() && out_.front().at <= now)
        out_.pop_front();
}

std::optional<SimModule::TimePoint> SimModule::nextEvent(TimePoint now) {
    advanceTo(now);
    std::optional<TimePoint> next;
    auto consider = [&](TimePoint t) {
        if (!next || t < *next) next = t;
    };
    if (!out_.empty()) consider(out_.front().at);
    if (const auto timer = nextTimer()) consider(*timer);
    if (phase_ == Phase::appStreaming && stream_)
        if (const auto e = stream_->nextEmission(now_ - streamStart_)) consider(streamStart_ + *e);
    return next;
}

void SimModule::handleByte(std::uint8_t b) {
    switch (phase_) {
    case Phase::bootloader:
        bootloaderByte(b);
        break;
    case Phase::upload:
        uploadByte(b);
        break;
    case Phase::appCommands:
    case Phase::appPassword:
    case Phase::appBlock:
    case Phase::appCounterWrite:
    case Phase::appStreaming:
        applicationByte(b);
        break;
    case Phase::reset:
    case Phase::uploadDone:
    case Phase::dead:
        break;
    }
}

void SimModule::bootloaderByte(std::uint8_t b) {
    phaseTimer_ = now_ + kBootloaderIdle;
    timerArmed_ = true;
    const std::string filtered = filterIdentification(options_.identification);
    const std::string magic = filtered.substr(0, filtered.find('/')) + "B";
    recent_.push_back(static_cast<char>(b));
    if (recent_.size() > magic.size()) recent_.erase(0, recent_.size() - magic.size());
    if (recent_ == magic) {
        phase_ = Phase::upload;
        timerArmed_ = false;
        blockCount_ = 0;
        haveNibble_ = false;
        uploadEs_ = 0;
        memory_.firmware.clear();
        return;
    }
    if (b == 'R') {
        emit(options_.identification, kBootDelay);
    } else if (b == '>') {
        timerArmed_ = false;
        startApplication();
    }
}

void SimModule::uploadByte(std::uint8_t b) {
    if (b == 'E' && !haveNibble_) {
        if (++uploadEs_ == 2) phase_ = Phase::uploadDone;
        return;
    }
    uploadEs_ = 0;
    if (b < 0x30 || b > 0x3F) return; // not a nibble character
    if (!haveNibble_) {
        pendingNibble_ = static_cast<std::uint8_t>(b - 0x30);
        haveNibble_ = true;
        return;
    }
    haveNibble_ = false;
    const auto value = static_cast<std::uint8_t>(pendingNibble_ << 4 | (b - 0x30));
    const auto k = static_cast<int>(++blockCount_);
    const SimFaults& f = options_.faults;
    if (f.stopAtByte > 0 && k >= f.stopAtByte) {
        phase_ = Phase::dead;
        return;
    }
    if (memory_.firmware.size() < kMaxFirmware) memory_.firmware.push_back(value);
    answerBlockByte(value);
}

void SimModule::answerBlockByte(std::uint8_t value) {
    const auto k = static_cast<int>(blockCount_);
    const SimFaults& f = options_.faults;
    if (f.badEchoByte == k) value = static_cast<std::uint8_t>(~value);
    emitByte(value, f.lateByte == k ? kLateAnswer : Duration::zero());
}

void SimModule::startApplication() {
    phase_ = Phase::appCommands;
    phaseTimer_ = now_ + kBootDelay + kCommandWindow;
    timerArmed_ = true;
    if (options_.faults.noEtx) return;
    emitByte(kEtx, kBootDelay);
    emitByte(memory_.configured ? 'V' : 0, kBootDelay);
    emitByte(0, kBootDelay);
    emitByte(memory_.eventPosition, kBootDelay);
}

void SimModule::startStreaming() {
    phase_ = Phase::appStreaming;
    timerArmed_ = false;
    block_ = Block::none;
    streamStart_ = now_;
    if (stream_) stream_->start(memory_);
}

void SimModule::applicationByte(std::uint8_t b) {
    switch (phase_) {
    case Phase::appPassword:
        password_.push_back(static_cast<char>(b));
        if (password_.size() == 4) {
            passwordDone();
        } else {
            phaseTimer_ = now_ + kPasswordGap;
            timerArmed_ = true;
        }
        return;
    case Phase::appBlock:
        blockByte(b);
        return;
    case Phase::appCounterWrite: {
        counterBytes_.push_back(static_cast<char>(b));
        if (counterBytes_.size() < 4 * kCounterCount) return;
        CounterBytes bytes{};
        std::copy(counterBytes_.begin(), counterBytes_.end(), bytes.begin());
        memory_.counters = decodeCounters(bytes);
        emitByte(kAck);
        startStreaming();
        return;
    }
    case Phase::appStreaming:
        if (stream_) stream_->received(b, now_ - streamStart_);
        return;
    default:
        break;
    }

    // Waiting for a command byte.
    if (options_.faults.deaf) return;
    auto expectPassword = [&](Block block) {
        block_ = block;
        blockCount_ = 0;
        password_.clear();
        phase_ = Phase::appPassword;
        phaseTimer_ = now_ + kPasswordGap;
        timerArmed_ = true;
    };
    const bool counterFirmware = subVersion() == 3;
    switch (b) {
    case 'U':
        expectPassword(Block::writeConfig);
        break;
    case 0x0F:
        expectPassword(Block::readConfig);
        break;
    case 'f':
        expectPassword(Block::readEvents);
        break;
    case 0x88:
        expectPassword(Block::writePhoneBase);
        break;
    case 'w':
        if (!counterFirmware) {
            expectPassword(Block::readPhoneBase);
            break;
        }
        {
            emitByte(kAck);
            const CounterBytes bytes = encodeCounters(memory_.counters);
            emit(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            emitByte(kAck);
            startStreaming();
        }
        break;
    case 0x7F:
        if (counterFirmware) {
            counterBytes_.clear();
            phase_ = Phase::appCounterWrite;
            timerArmed_ = false;
        }
        break;
    case 0xCC:
        memory_.erase();
        emitByte(kAck);
        startStreaming();
        break;
    default:
        break; // not a command: ignored
    }
}

void SimModule::passwordDone() {
    timerArmed_ = false;
    if (!memory_.password.empty() && password_ != memory_.password) {
        emitByte(kPasswordWrong);
        startStreaming();
        return;
    }
    emitByte(kPasswordOk);
    phase_ = Phase::appBlock;
}

void SimModule::blockByte(std::uint8_t b) {
    const auto k = static_cast<int>(++blockCount_);
    const SimFaults& f = options_.faults;
    if (f.stopAtByte > 0 && k >= f.stopAtByte) {
        phase_ = Phase::dead;
        return;
    }
    const std::size_t at = blockCount_ - 1;
    std::uint8_t answer = b;
    switch (block_) {
    case Block::writeConfig:
        memory_.image[at] = std::cmp_equal(at, f.corruptOffset) ? static_cast<std::uint8_t>(~b) : b;
        break;
    case Block::writePhoneBase:
        memory_.phoneBase[at] = b;
        break;
    case Block::readConfig:
        answer = memory_.image[at];
        break;
    case Block::readEvents:
        answer = memory_.events[at];
        break;
    case Block::readPhoneBase:
        answer = memory_.phoneBase[at];
        break;
    case Block::none:
        break;
    }
    answerBlockByte(answer);
    if (blockCount_ < blockLength()) return;
    if (block_ == Block::writeConfig) {
        memory_.configured = true;
        memory_.password = SimMemory::passwordOf(memory_.image);
    }
    startStreaming();
}

} // namespace qv
