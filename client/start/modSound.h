// The six sound effects: selecting a tile, removing a pair, using an item, the start and
// the end of a game, and the turn-time warning. Optional in every way: no file, no output
// device, the setting off or the window minimised all mean silence.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class TableClient;
class WavePlayer;

class modSound {
public:
    explicit modSound(TableClient& client);
    ~modSound();

    // The sound of the table (0..5), unless the setting is off or the window minimised.
    void PlayGameSound(std::uint8_t bteSoundNo);
    // Opens the sound card ahead of the first sound (it is left closed while the window
    // starts).
    void Prepare();
    // Plays one wave file without waiting; a missing file or no output device is silence.
    void PlayWaveFile(const std::string& strFile);

    // The file a sound number plays, or empty for a number outside 0..5.
    static std::string SoundFile(std::uint8_t bteSoundNo);

    // The one player every sound goes through.
    WavePlayer& Player() { return *player_; }

private:
    TableClient& client_;
    std::unique_ptr<WavePlayer> player_;
};
