// The rule by which text becomes a number everywhere in the program: blanks, tabs and
// line feeds are ignored wherever they stand, then the longest prefix that forms a
// number is read (sign, digits, decimal point, exponent, or &H / &O for hexadecimal and
// octal); text without one reads as 0. Whole numbers round halves to the even neighbour.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace LeadingNumber {

double Value(std::string_view text);

// The value rounded to a whole number (halves to even); empty when it does not fit.
std::optional<std::int32_t> ToLong(std::string_view text);

// As ToLong, with 0 for a value that does not fit in 32 bits.
std::int32_t Long(std::string_view text);

}  // namespace LeadingNumber
