// Asynchronous wave playback, one sound at a time: a new sound cuts off the one playing,
// and the caller never waits. Where the machine has no wave output device nothing is
// played. Two seams let a test machine without a sound card see what would be heard: the
// answer to "is there an output device", and an output that takes the started sounds
// instead of the sound card.
// The sound card itself is the library tilelink-sound.so beside the program, opened when
// sound is first wanted (or earlier with Prepare); without it the machine has no output
// device.
#pragma once
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SoundCard;

class WavePlayer : public QObject {
    Q_OBJECT
public:
    explicit WavePlayer(QObject* parent = nullptr);
    ~WavePlayer() override;

    // Opens the sound card now, so that the first sound does not wait for it. Nothing
    // when the Output seam is set or the card is open already.
    void Prepare();
    // Whether the system reports a wave output device (DeviceQuery when set).
    bool HasOutputDevice() const;
    // Cuts off the sound playing and starts the file; returns at once. False when no
    // file name is given (nothing is started then and the sound playing goes on).
    bool Play(const std::string& file);
    // Stops the sound playing, if any.
    void Stop();
    // The file of the sound playing now, empty when none plays.
    std::string Playing() const;

    // Every sound started, in order, and every sound a later one cut off.
    const std::vector<std::string>& Started() const { return started_; }
    const std::vector<std::string>& CutOff() const { return cutOff_; }

    // Seams. DeviceQuery answers the output-device question in place of the system.
    // With Output set, a started sound goes there instead of to the sound card, and it
    // plays until Stop or the next Play.
    std::function<bool()> DeviceQuery;
    std::function<void(const std::string& file)> Output;

private:
    // The sound card library's card, opened on first use; null without the library.
    SoundCard* Card() const;

    mutable std::unique_ptr<SoundCard> card_;
    mutable bool cardTried_ = false;
    std::string current_;  // the sound started last while it may still play
    std::vector<std::string> started_;
    std::vector<std::string> cutOff_;
};
