// The message helpers every sender and receiver uses: GBK text bodies behind a header,
// big-endian integers, and the backquote-separated fields of text bodies.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/Bytes.h"

namespace modPublicTools {

inline constexpr char kFieldSep = '`';

// bytOut := the first bteHeadLen bytes of bytHead, then strText in GBK.
// An empty text is refused: false, bytOut untouched.
bool ConvertStrToBytes(const std::string& strText, Bytes& bytOut, std::uint8_t bteHeadLen, const std::uint8_t* bytHead);
bool ConvertStrToBytes(const std::string& strText, Bytes& bytOut, std::initializer_list<std::uint8_t> head);

// The text of bytData from bteStartPos to the end; empty when the start is past the end
// or a lead byte has lost its trail byte.
std::string ConvertBytesToStr(const Bytes& bytData, std::size_t bteStartPos);

// The big-endian signed 32-bit value at lngPos; false (value untouched) when fewer
// than four bytes remain.
bool GetLongFromBytes(std::int32_t& lngValue, const Bytes& bytData, std::size_t lngPos);

// Appends a big-endian signed 32-bit value.
void PutLong(Bytes& out, std::int32_t value);

// Splits a text body at every backquote: n fields for n-1 separators, empty fields kept;
// an empty body has no fields.
std::vector<std::string> SplitFields(std::string_view text, char sep = kFieldSep);
std::string JoinFields(const std::vector<std::string>& fields, std::size_t first = 0, char sep = kFieldSep);

// Text with leading and trailing blanks removed (VB Trim: spaces only).
std::string TrimBlanks(std::string_view text);

}  // namespace modPublicTools
