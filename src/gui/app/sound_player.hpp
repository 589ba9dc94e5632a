#pragma once
// The program's two sounds, synthesised when first needed and held in memory as wave files:
// "DING" at the end of every device session and "RING" on an incoming call in the monitor.
#include "common/sound_output.hpp"
#include "gui/app/ui_services.hpp"

#include <QByteArray>
#include <QObject>

#include <memory>

namespace qv::gui {

// A 16-bit mono PCM wave file (RIFF) of the sound.
QByteArray synthesiseWave(Sound sound);

class SoundPlayer : public QObject {
    Q_OBJECT
  public:
    static SoundPlayer& instance();
    // Starts the sound and returns at once; silent without an audio output device.
    void play(Sound sound);

  private:
    SoundPlayer();
    ~SoundPlayer() override;
    std::unique_ptr<SoundOutput> output_;
    QByteArray ding_, ring_;
};

} // namespace qv::gui
