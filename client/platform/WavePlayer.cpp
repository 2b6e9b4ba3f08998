#include "client/platform/WavePlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

WavePlayer::WavePlayer(QObject* parent) : QObject(parent) {}

WavePlayer::~WavePlayer() = default;

bool WavePlayer::HasOutputDevice() const {
    if (DeviceQuery) return DeviceQuery();
    return !QMediaDevices::audioOutputs().isEmpty();
}

std::string WavePlayer::Playing() const {
    if (current_.empty()) return {};
    if (Output) return current_;
    return effect_ && effect_->isPlaying() ? current_ : std::string();
}

void WavePlayer::Stop() {
    if (effect_) effect_->stop();
    current_.clear();
}

bool WavePlayer::Play(const std::string& file) {
    if (file.empty()) return false;
    // Only one sound at a time: the one still playing ends here.
    const std::string playing = Playing();
    if (!playing.empty()) cutOff_.push_back(playing);
    Stop();
    started_.push_back(file);
    current_ = file;
    if (Output) {
        Output(file);
        return true;
    }
    if (!effect_) effect_ = new QSoundEffect(this);
    // The same file again keeps its loaded samples; another one is loaded and plays as
    // soon as it is ready. A file that cannot be played stays silent.
    effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
    effect_->play();
    return true;
}
