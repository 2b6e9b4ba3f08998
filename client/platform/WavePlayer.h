// Asynchronous wave playback, one sound at a time: a new sound cuts off the one playing.
// With no audio output device nothing is played.
#pragma once
#include <QObject>
#include <memory>
#include <string>

class QSoundEffect;

class WavePlayer : public QObject {
    Q_OBJECT
public:
    explicit WavePlayer(QObject* parent = nullptr);
    ~WavePlayer() override;

    static bool HasOutputDevice();
    // Starts playing the file; returns at once. False when nothing could be started.
    bool Play(const std::string& file);
    // The file last started (for tests), empty before the first.
    const std::string& LastStarted() const { return last_; }

private:
    QSoundEffect* effect_ = nullptr;
    std::string last_;
};
