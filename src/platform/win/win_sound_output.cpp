// Sound on Windows: the system's own asynchronous wave playback from memory (PlaySound with
// SND_MEMORY | SND_ASYNC), which needs no Qt Multimedia.
#include "gui/sound_output.hpp"

#include <windows.h>

#include <mmsystem.h>

namespace qv::gui {

namespace {

class WinSoundOutput final : public SoundOutput {
  public:
    ~WinSoundOutput() override { PlaySoundW(nullptr, nullptr, 0); }

    void play(const QByteArray& wave) override {
        // Starting a sound stops the one playing; the wave stays with the caller meanwhile, and
        // a copy of the handle keeps it alive here too.
        current_ = wave;
        PlaySoundW(reinterpret_cast<LPCWSTR>(current_.constData()), nullptr,
                   SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    }

  private:
    QByteArray current_;
};

} // namespace

std::unique_ptr<SoundOutput> makeSoundOutput() {
    return std::make_unique<WinSoundOutput>();
}

} // namespace qv::gui
