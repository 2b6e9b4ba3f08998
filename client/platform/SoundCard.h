// The sound card side of the wave player. It lives in a library of its own
// (tilelink-sound.so, beside the table program) that the player opens when sound is first
// wanted, so the table window starts without the multimedia libraries and the sound
// system behind them.
#pragma once
#include <string>

class SoundCard {
public:
    virtual ~SoundCard() = default;
    // Whether the system reports a wave output device.
    virtual bool HasOutputDevice() const = 0;
    // Starts the file, cutting off what plays; returns at once. A file that cannot be
    // played stays silent.
    virtual void Play(const std::string& file) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
};

// The library's file name, and its one entry point (extern "C"): a new card, owned by the
// caller.
inline constexpr char kSoundCardLibrary[] = "tilelink-sound.so";
inline constexpr char kNewSoundCard[] = "tilelink_NewSoundCard";
using NewSoundCardFunction = SoundCard* (*)();
