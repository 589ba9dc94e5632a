#pragma once
// The machine's sound output: Qt Multimedia on Linux (silent when it is not built), the
// system's own wave playback on Windows.
#include "common/sound_output.hpp"

#include <memory>

namespace qv {

std::unique_ptr<SoundOutput> makeSystemSoundOutput();

} // namespace qv
