#include "server/UserNames.h"

#include <string>

#include "core/ChatFields.h"
#include "core/GbkText.h"
#include "core/Ticket.h"

namespace UserNames {
namespace {

// The names of the server's own lines.
constexpr std::string_view kReserved[] = {"系统", ChatFields::kEveryone};

// Blanks, control and format characters of any script: what shows as nothing.
bool Invisible(char32_t c) {
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || c == 0x034F || c == 0x115F || c == 0x1160 ||
           c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF ||
           c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFFB);
}

// The name without its invisible characters (the name is valid UTF-8 here).
std::string Visible(std::string_view name) {
    std::string out;
    std::size_t i = 0;
    while (i < name.size()) {
        const auto b = static_cast<unsigned char>(name[i]);
        const std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n && i + k < name.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
        if (!Invisible(c)) out.append(name.substr(i, n));
        i += n;
    }
    return out;
}

}  // namespace

bool Acceptable(std::string_view name) {
    if (!Ticket::IsValidName(name)) return false;
    // Every table shows the name in GBK: a character it cannot hold would turn into '?'
    // and make the name look like another.
    if (GbkText::ToUtf8(GbkText::FromUtf8(name)) != name) return false;
    const std::string visible = Visible(name);
    if (visible.empty()) return false;
    for (std::string_view reserved : kReserved)
        if (visible == reserved) return false;
    return true;
}

}  // namespace UserNames
