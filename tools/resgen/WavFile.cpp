#include "tools/resgen/WavFile.h"

#include "tools/resgen/LittleEndian.h"

namespace WavFile {

QByteArray Encode(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<quint32>(samples.size() * 2);
    QByteArray out;
    out.append("RIFF", 4);
    LittleEndian::Put32(out, 36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    LittleEndian::Put32(out, 16);
    LittleEndian::Put16(out, 1);  // PCM
    LittleEndian::Put16(out, 1);  // mono
    LittleEndian::Put32(out, kSampleRate);
    LittleEndian::Put32(out, kSampleRate * 2);  // bytes a second
    LittleEndian::Put16(out, 2);                // bytes a sample frame
    LittleEndian::Put16(out, 16);
    out.append("data", 4);
    LittleEndian::Put32(out, dataBytes);
    for (std::int16_t s : samples) LittleEndian::Put16(out, static_cast<quint16>(s));
    return out;
}

}  // namespace WavFile
