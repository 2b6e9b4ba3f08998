#include "core/ChatLine.h"

#include <ctime>

#include "core/ChatFields.h"

namespace ChatLine {

std::string ClockText() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return buf;
}

std::vector<std::string> ToEveryone(const std::string& sender, const std::string& text, int colour) {
    using namespace ChatFields;
    std::vector<std::string> f(kFieldCount);
    f[kTarget] = kEveryone;
    f[kPrivate] = "0";
    f[kSender] = sender;
    f[kShownTo] = kEveryone;
    f[kTime] = ClockText();
    f[kColour] = std::to_string(colour);
    f[kFace] = "0";
    f[kStyle] = "0";
    f[kText] = text;
    f[kReserved] = "-";
    return f;
}

}  // namespace ChatLine
