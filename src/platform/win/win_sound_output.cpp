// Sound on Windows: the system's own asynchronous wave playback from memory (PlaySound with
// SND_MEMORY | SND_ASYNC), which needs no Qt Multimedia.
#include "platform/system_sound.hpp"

#include <windows.h>

#include <mmsystem.h>

#include <vector>

namespace qv {

namespace {

class WinSoundOutput final : public SoundOutput {
  public:
    ~WinSoundOutput() override { PlaySoundW(nullptr, nullptr, 0); }

    void play(std::span<const std::uint8_t> wave) override {
        // Starting a sound stops the one playing; the copy kept here lives until the next one.
        PlaySoundW(nullptr, nullptr, 0);
        current_.assign(wave.begin(), wave.end());
        PlaySoundW(reinterpret_cast<LPCWSTR>(current_.data()), nullptr,
                   SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    }

  private:
    std::vector<std::uint8_t> current_;
};

} // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput() {
    return std::make_unique<WinSoundOutput>();
}

} // namespace qv
