// The six sound effects, synthesised from a few bell-like and soft square tones:
// tile removed, game end, item used, tile selected, game start, time warning.
#pragma once
#include <QString>
#include <cstdint>
#include <vector>

namespace SoundSynth {

inline constexpr int kSoundCount = 6;

// The file name of sound number n (0..5), as the table plays them.
QString SoundFileName(int n);

// The samples of sound n at 22050 Hz, peaking at about 70 % of full scale.
std::vector<std::int16_t> Sound(int n);

}  // namespace SoundSynth
