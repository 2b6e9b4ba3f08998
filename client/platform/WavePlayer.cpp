#include "client/platform/WavePlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include "client/platform/SoundCard.h"

WavePlayer::WavePlayer(QObject* parent) : QObject(parent) {}

WavePlayer::~WavePlayer() = default;

SoundCard* WavePlayer::Card() const {
    if (cardTried_) return card_.get();
    cardTried_ = true;
    // The library stays loaded for the rest of the program: the card's code lives in it.
    QLibrary library(QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kSoundCardLibrary)));
    const auto newCard = reinterpret_cast<NewSoundCardFunction>(library.resolve(kNewSoundCard));
    if (newCard) card_.reset(newCard());
    return card_.get();
}

void WavePlayer::Prepare() {
    if (!Output) Card();
}

bool WavePlayer::HasOutputDevice() const {
    if (DeviceQuery) return DeviceQuery();
    const SoundCard* card = Card();
    return card && card->HasOutputDevice();
}

std::string WavePlayer::Playing() const {
    if (current_.empty()) return {};
    if (Output) return current_;
    return card_ && card_->IsPlaying() ? current_ : std::string();
}

void WavePlayer::Stop() {
    if (card_) card_->Stop();
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
    if (SoundCard* card = Card()) card->Play(file);
    return true;
}
