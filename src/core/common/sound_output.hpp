#pragma once
// Asynchronous playback of a wave file held in memory, one implementation per platform: Qt
// Multimedia where it is built (sound_output_qt.cpp), Windows' own wave playback on Windows
// (platform/win/win_sound_output.cpp).
#include <QByteArray>

#include <memory>

namespace qv::gui {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Starts the wave (a RIFF file, 16-bit PCM) and returns at once; a new sound replaces one
    // still playing. The caller keeps wave unchanged while it may play. Silent without an
    // audio output device.
    virtual void play(const QByteArray& wave) = 0;
};

std::unique_ptr<SoundOutput> makeSoundOutput();

} // namespace qv::gui
