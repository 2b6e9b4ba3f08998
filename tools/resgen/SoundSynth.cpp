#include "tools/resgen/SoundSynth.h"

#include <algorithm>
#include <cmath>

#include "tools/resgen/WavFile.h"

namespace SoundSynth {

namespace {

constexpr double kRate = WavFile::kSampleRate;
constexpr double kPeak = 0.7;

enum class Timbre { Bell, Soft, Square };

struct Note {
    double start;   // seconds
    double length;  // seconds until silence
    double freq;    // Hz
    double gain;
    Timbre timbre;
    double glideTo = 0;  // end frequency of a glide, 0 for none
};

double Sample(const Note& n, double t) {
    if (t < 0 || t >= n.length) return 0;
    const double attack = std::min(1.0, t / 0.004);
    const double release = std::min(1.0, (n.length - t) / 0.012);  // no click at the end
    double phase = 2 * M_PI * n.freq * t;
    if (n.glideTo > 0) {
        const double k = (n.glideTo - n.freq) / n.length;
        phase = 2 * M_PI * (n.freq * t + 0.5 * k * t * t);
    }
    double v = 0;
    switch (n.timbre) {
        case Timbre::Bell:
            v = std::exp(-t * 7.0) * (std::sin(phase) + 0.35 * std::exp(-t * 10) * std::sin(2.76 * phase) +
                                      0.18 * std::exp(-t * 18) * std::sin(5.4 * phase));
            break;
        case Timbre::Soft:
            v = std::exp(-t * 4.0) * (std::sin(phase) + 0.2 * std::sin(2 * phase));
            break;
        case Timbre::Square:
            // The first odd partials of a square wave: a mellow chiptune colour.
            v = std::exp(-t * 3.0) * (std::sin(phase) + std::sin(3 * phase) / 3 + std::sin(5 * phase) / 6);
            break;
    }
    return n.gain * attack * release * v;
}

std::vector<Note> Score(int n) {
    switch (n) {
        case 0:  // a pair removed: two quick rising chimes
            return {{0.00, 0.20, 1568, 1.0, Timbre::Bell}, {0.05, 0.22, 2093, 0.8, Timbre::Bell}};
        case 1:  // game end: a calm falling-then-resolving figure
            return {{0.00, 0.30, 784, 0.8, Timbre::Bell},
                    {0.14, 0.30, 659, 0.8, Timbre::Bell},
                    {0.28, 0.30, 523, 0.8, Timbre::Bell},
                    {0.42, 0.48, 1047, 0.9, Timbre::Bell},
                    {0.42, 0.48, 523, 0.5, Timbre::Soft}};
        case 2:  // an item used: an upward glide with sparkles
            return {{0.00, 0.26, 520, 0.8, Timbre::Soft, 1560},
                    {0.08, 0.16, 2637, 0.35, Timbre::Bell},
                    {0.16, 0.16, 3136, 0.35, Timbre::Bell},
                    {0.24, 0.14, 3951, 0.30, Timbre::Bell}};
        case 3:  // a tile selected: a short soft tick
            return {{0.00, 0.06, 1320, 1.0, Timbre::Soft}, {0.00, 0.03, 2640, 0.4, Timbre::Soft}};
        case 4:  // game start: a rising fanfare
            return {{0.00, 0.12, 392, 0.7, Timbre::Square},
                    {0.10, 0.12, 523, 0.7, Timbre::Square},
                    {0.20, 0.12, 659, 0.7, Timbre::Square},
                    {0.30, 0.28, 784, 0.8, Timbre::Square},
                    {0.30, 0.28, 1568, 0.25, Timbre::Bell}};
        default:  // time warning: two gentle beeps
            return {{0.00, 0.09, 880, 0.8, Timbre::Square}, {0.16, 0.09, 880, 0.8, Timbre::Square}};
    }
}

}  // namespace

QString SoundFileName(int n) {
    static const char* const kNames[kSoundCount] = {"DelFk.wav",    "End.wav",   "DaoJu.wav",
                                                    "SelectFk.wav", "Start.wav", "timeWarn.wav"};
    return QString::fromLatin1(kNames[std::clamp(n, 0, kSoundCount - 1)]);
}

std::vector<std::int16_t> Sound(int n) {
    const std::vector<Note> notes = Score(n);
    double end = 0;
    for (const Note& note : notes) end = std::max(end, note.start + note.length);
    const auto count = static_cast<std::size_t>(std::ceil(end * kRate));
    std::vector<double> mix(count, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        for (const Note& note : notes) mix[i] += Sample(note, t - note.start);
    }
    double peak = 0;
    for (double v : mix) peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? kPeak * 32767.0 / peak : 0;
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
    return samples;
}

}  // namespace SoundSynth
