// Little-endian integers for the headers of the picture, icon and wave files.
#pragma once
#include <QByteArray>
#include <QtGlobal>

namespace LittleEndian {

inline void Put16(QByteArray& out, quint16 value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

inline void Put32(QByteArray& out, quint32 value) {
    for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace LittleEndian
