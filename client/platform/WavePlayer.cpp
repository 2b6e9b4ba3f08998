#include "client/platform/WavePlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

WavePlayer::WavePlayer(QObject* parent) : QObject(parent) {}

WavePlayer::~WavePlayer() = default;

bool WavePlayer::HasOutputDevice() { return !QMediaDevices::audioOutputs().isEmpty(); }

bool WavePlayer::Play(const std::string& file) {
    last_ = file;
    if (!effect_) effect_ = new QSoundEffect(this);
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
    effect_->play();
    return true;
}
