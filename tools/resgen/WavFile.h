// Wave files of the sound effects: 16-bit PCM, one channel, 22050 samples a second.
#pragma once
#include <QByteArray>
#include <cstdint>
#include <vector>

namespace WavFile {

inline constexpr int kSampleRate = 22050;

QByteArray Encode(const std::vector<std::int16_t>& samples);

}  // namespace WavFile
