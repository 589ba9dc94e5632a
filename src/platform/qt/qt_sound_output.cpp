// Sound through Qt Multimedia's audio sink; silent when Qt Multimedia is not built.
#include "platform/system_sound.hpp"

#include <QByteArray>
#include <QtEndian>

#ifdef QVPROG_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#endif

namespace qv {

namespace {

constexpr int kWaveHeaderSize = 44;

#ifdef QVPROG_HAVE_MULTIMEDIA
class QtSoundOutput final : public SoundOutput {
  public:
    void play(std::span<const std::uint8_t> wave) override {
        if (wave.size() <= std::size_t(kWaveHeaderSize)) return;
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return;
        QAudioFormat format;
        format.setSampleRate(int(qFromLittleEndian<quint32>(wave.data() + 24)));
        format.setChannelCount(qFromLittleEndian<quint16>(wave.data() + 22));
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) return;
        auto playback = std::make_unique<Playback>();
        playback->pcm = QByteArray(reinterpret_cast<const char*>(wave.data()) + kWaveHeaderSize,
                                   qsizetype(wave.size()) - kWaveHeaderSize);
        playback->buffer.setData(playback->pcm);
        playback->buffer.open(QIODevice::ReadOnly);
        playback->sink = std::make_unique<QAudioSink>(device, format);
        playback->sink->start(&playback->buffer);
        current_ = std::move(playback); // a new sound replaces one still playing
    }

  private:
    struct Playback {
        QByteArray pcm;
        QBuffer buffer;
        std::unique_ptr<QAudioSink> sink;
    };
    std::unique_ptr<Playback> current_;
};
#else
class QtSoundOutput final : public SoundOutput {
  public:
    void play(std::span<const std::uint8_t>) override {}
};
#endif

} // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput() {
    return std::make_unique<QtSoundOutput>();
}

} // namespace qv
