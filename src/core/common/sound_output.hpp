#pragma once
// Asynchronous playback of a wave file held in memory, one implementation per platform: Qt
// Multimedia where it is built (platform/qt/qt_sound_output.cpp), Windows' own wave playback on
// Windows (platform/win/win_sound_output.cpp). The window makes one through
// makeSystemSoundOutput (platform/system_sound.hpp).
#include <cstdint>
#include <span>

namespace qv {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Starts the wave (a RIFF file, 16-bit PCM) and returns at once; a new sound replaces one
    // still playing. The caller keeps wave unchanged while it may play. Silent without an
    // audio output device.
    virtual void play(std::span<const std::uint8_t> wave) = 0;
};

} // namespace qv
