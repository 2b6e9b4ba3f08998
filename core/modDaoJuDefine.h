// The nine items (DaoJu): numbers, constants, the catalogue record and its start-up
// contents. The room server sets prices, free counts and rules per table through the
// 8-byte item record; names and descriptions are fixed here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Bytes.h"

namespace modDaoJuDefine {

inline constexpr int kItemCount = 9;

inline constexpr int DJ_ZHINANZHEN = 0;  // compass: shows a linkable pair
inline constexpr int DJ_CHONGLIE = 1;    // rearrange
inline constexpr int DJ_JINSHOU = 2;     // freeze
inline constexpr int DJ_NAOZHONG = 3;    // alarm clock
inline constexpr int DJ_ZHADAN = 4;      // bomb
inline constexpr int DJ_MENGYAN = 5;     // blindfold (black fog)
inline constexpr int DJ_JINGZI = 6;      // mirror
inline constexpr int DJ_ZHANGAI = 7;     // obstacle
inline constexpr int DJ_DITU = 8;        // map choice

inline constexpr int kRecordSize = 8;  // DaoJuItemRecord on the wire

}  // namespace modDaoJuDefine

struct DaoJuDef {
    std::string strName;
    std::int32_t lngPrice = -1;  // -1: the table has no prices
    std::uint8_t bteFreeCount = 0;
    bool blnUseSelf = true;
    std::uint8_t bteNeedDelFk = 0;
    std::uint8_t bteFreePerDelFk = 0;
    std::string strDescription;
};

namespace modDaoJuDefine {

// Start-up contents of item k: name, description, default use, no price, zero counts.
DaoJuDef DefaultItem(int k);

// The sub-code of item k's request and confirmation (9 and 10 for items 0 and 1);
// 0, which no item uses, for a number that is no item.
std::uint8_t ItemSubCode(int k);

// The item of a sub-code, or -1 for a sub-code that is no item.
int ItemOfSubCode(std::uint8_t sub);

// Reads the 8-byte item record at pos into the table values of `item` (price, free
// count, use, removal threshold, earning rule); name and description stay. Each field
// is read only when its bytes lie inside the message, so a record cut short sets the
// fields before the cut and leaves the rest. True when the whole record was there.
bool ReadItemRecord(const Bytes& bytData, std::size_t pos, DaoJuDef& item);

// Appends the 8-byte item record of `item` (the server's side of the same record).
void PutItemRecord(Bytes& out, const DaoJuDef& item);

}  // namespace modDaoJuDefine
