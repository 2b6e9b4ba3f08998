// tilelink-sound.so: the sound card of the wave player over Qt Multimedia, one
// QSoundEffect at a time.
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "client/platform/SoundCard.h"

namespace {

class QtSoundCard : public SoundCard {
public:
    bool HasOutputDevice() const override { return !QMediaDevices::audioOutputs().isEmpty(); }

    void Play(const std::string& file) override {
        // The same file again keeps its loaded samples; another one is loaded and plays as
        // soon as it is ready.
        effect_.setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
        effect_.play();
    }

    void Stop() override { effect_.stop(); }

    bool IsPlaying() const override { return effect_.isPlaying(); }

private:
    QSoundEffect effect_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) SoundCard* tilelink_NewSoundCard() { return new QtSoundCard; }
