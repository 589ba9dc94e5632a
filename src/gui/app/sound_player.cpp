#include "gui/app/sound_player.hpp"

#include "platform/system_sound.hpp"

#include <QtEndian>

#include <cmath>
#include <numbers>
#include <vector>

namespace qv::gui {

namespace {
constexpr int kSampleRate = 22050;
constexpr int kWaveHeaderSize = 44;

// A struck bell: a fundamental and two partials dying away.
std::vector<double> ding() {
    const int n = kSampleRate * 45 / 100;
    std::vector<double> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        const double w = 2 * std::numbers::pi * 1318.5 * t;
        s[static_cast<std::size_t>(i)] =
            std::exp(-7.0 * t) * (0.6 * std::sin(w) + 0.25 * std::sin(2.01 * w) +
                                  0.15 * std::sin(3.0 * w) * std::exp(-12.0 * t));
    }
    return s;
}

// Two short bursts of a warbling two-tone ring.
std::vector<double> ring() {
    const int burst = kSampleRate * 35 / 100;
    const int gap = kSampleRate * 15 / 100;
    const int n = 2 * burst + gap;
    std::vector<double> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int k = i < burst ? i : i - burst - gap;
        if (k < 0 || k >= burst) continue;
        const double t = double(k) / kSampleRate;
        const double f = (int(t * 40) % 2) ? 1000.0 : 800.0;
        const double edge = std::min(1.0, std::min(t, double(burst - k) / kSampleRate) * 200.0);
        s[static_cast<std::size_t>(i)] = 0.5 * edge * std::sin(2 * std::numbers::pi * f * t);
    }
    return s;
}

void put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}
void put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
} // namespace

QByteArray synthesiseWave(Sound sound) {
    const std::vector<double> samples = sound == Sound::Ding ? ding() : ring();
    const int dataSize = int(samples.size()) * 2;
    QByteArray wave(kWaveHeaderSize + dataSize, '\0');
    wave.replace(0, 4, "RIFF");
    put32(wave, 4, quint32(36 + dataSize));
    wave.replace(8, 8, "WAVEfmt ");
    put32(wave, 16, 16);
    put16(wave, 20, 1); // PCM
    put16(wave, 22, 1); // mono
    put32(wave, 24, kSampleRate);
    put32(wave, 28, kSampleRate * 2);
    put16(wave, 32, 2);
    put16(wave, 34, 16);
    wave.replace(36, 4, "data");
    put32(wave, 40, quint32(dataSize));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double v = std::clamp(samples[i], -1.0, 1.0) * 32000.0;
        put16(wave, kWaveHeaderSize + int(i) * 2, quint16(qint16(std::lround(v))));
    }
    return wave;
}

SoundPlayer::SoundPlayer() : output_(makeSystemSoundOutput()) {}
SoundPlayer::~SoundPlayer() = default;

SoundPlayer& SoundPlayer::instance() {
    static SoundPlayer player;
    return player;
}

void SoundPlayer::play(Sound sound) {
    // Each sound is made once and kept: the output may play from it after play returns.
    QByteArray& wave = sound == Sound::Ding ? ding_ : ring_;
    if (wave.isEmpty()) wave = synthesiseWave(sound);
    if (output_)
        output_->play(std::span(reinterpret_cast<const std::uint8_t*>(wave.constData()),
                                std::size_t(wave.size())));
}

} // namespace qv::gui
