// Conversion between the program's UTF-8 texts and the GBK code page used on the
// wire and in files kept in the system code page. The conversion itself is iconv's.
#pragma once
#include <string>
#include <string_view>

namespace GbkText {

// UTF-8 to GBK. A character GBK cannot hold, or a broken UTF-8 sequence, becomes '?'.
std::string FromUtf8(std::string_view utf8);

// GBK to UTF-8, one character per byte below 128 and one per byte pair otherwise
// (a byte of 128 or more always leads a pair). A pair GBK does not define becomes '?'.
// A lead byte without its trail byte makes the whole result empty.
std::string ToUtf8(std::string_view gbk);

// Number of characters of a UTF-8 text (code points).
std::size_t CharCount(std::string_view utf8);

}  // namespace GbkText
