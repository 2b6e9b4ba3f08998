#include "core/GbkText.h"

#include <iconv.h>
#include <cerrno>

namespace GbkText {
namespace {

// One open conversion descriptor per direction and thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        // iconv_open reports failure as (iconv_t)-1, an integer made a pointer by its interface.
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);  // NOLINT(performance-no-int-to-ptr)
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one whole unit; false when iconv refuses it.
    bool Convert(std::string_view in, std::string& out) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;  // NOLINT(performance-no-int-to-ptr): as above
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[16];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
        if (srcLeft != 0) return false;
        out.append(buf, dst - buf);
        return true;
    }

private:
    iconv_t cd_;
};

Converter& ToGbk() {
    thread_local Converter c("GBK", "UTF-8");
    return c;
}

Converter& FromGbk() {
    thread_local Converter c("UTF-8", "GBK");
    return c;
}

// Length of the UTF-8 sequence that starts with byte b, 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 0;
}

}  // namespace

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        std::size_t n = SequenceLength(b);
        if (n == 0 || i + n > utf8.size()) {
            out.push_back('?');
            ++i;
            continue;
        }
        if (!ToGbk().Convert(utf8.substr(i, n), out)) out.push_back('?');
        i += n;
    }
    return out;
}

std::string ToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (i + 1 >= gbk.size()) return std::string();
        const auto t = static_cast<unsigned char>(gbk[i + 1]);
        const bool pair = b >= 0x81 && b <= 0xFE && t >= 0x40 && t <= 0xFE && t != 0x7F;
        if (!pair || !FromGbk().Convert(gbk.substr(i, 2), out)) out.push_back('?');
        i += 2;
    }
    return out;
}

std::size_t CharCount(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace GbkText
