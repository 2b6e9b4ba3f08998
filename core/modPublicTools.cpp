#include "core/modPublicTools.h"

#include "core/GbkText.h"

namespace modPublicTools {

bool ConvertStrToBytes(const std::string& strText, Bytes& bytOut, std::uint8_t bteHeadLen,
                       const std::uint8_t* bytHead) {
    if (strText.empty()) return false;
    const std::string gbk = GbkText::FromUtf8(strText);
    Bytes out;
    out.reserve(bteHeadLen + gbk.size());
    out.insert(out.end(), bytHead, bytHead + bteHeadLen);
    out.insert(out.end(), gbk.begin(), gbk.end());
    bytOut = std::move(out);
    return true;
}

bool ConvertStrToBytes(const std::string& strText, Bytes& bytOut, std::initializer_list<std::uint8_t> head) {
    return ConvertStrToBytes(strText, bytOut, static_cast<std::uint8_t>(head.size()), head.begin());
}

std::string ConvertBytesToStr(const Bytes& bytData, std::size_t bteStartPos) {
    if (bteStartPos >= bytData.size()) return std::string();
    const auto* p = reinterpret_cast<const char*>(bytData.data()) + bteStartPos;
    return GbkText::ToUtf8(std::string_view(p, bytData.size() - bteStartPos));
}

bool GetLongFromBytes(std::int32_t& lngValue, const Bytes& bytData, std::size_t lngPos) {
    if (lngPos > bytData.size() || bytData.size() - lngPos < 4) return false;
    const std::uint32_t v = (std::uint32_t(bytData[lngPos]) << 24) | (std::uint32_t(bytData[lngPos + 1]) << 16) |
                            (std::uint32_t(bytData[lngPos + 2]) << 8) | std::uint32_t(bytData[lngPos + 3]);
    lngValue = static_cast<std::int32_t>(v);
    return true;
}

void PutLong(Bytes& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

std::vector<std::string> SplitFields(std::string_view text, char sep) {
    std::vector<std::string> fields;
    if (text.empty()) return fields;  // an empty body has no fields at all
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find(sep, start);
        if (pos == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields;
        }
        fields.emplace_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

std::string JoinFields(const std::vector<std::string>& fields, std::size_t first, char sep) {
    std::string out;
    for (std::size_t i = first; i < fields.size(); ++i) {
        if (i > first) out.push_back(sep);
        out += fields[i];
    }
    return out;
}

std::string TrimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return std::string(text.substr(b, e - b));
}

}  // namespace modPublicTools
