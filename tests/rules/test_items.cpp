// The item catalogue: the 8-byte record, item lists of game start and snapshot, the
// counts carried by removals and item uses, and when an item may be used.
#include <gtest/gtest.h>

#include <climits>

#include "core/modDaoJuDefine.h"
#include "core/modDaoJuRule.h"
#include "core/modPublicTools.h"

using namespace modDaoJuDefine;
using namespace modDaoJuRule;

namespace {

Bytes Record(std::int32_t price, std::uint8_t free, std::uint8_t self, std::uint8_t need, std::uint8_t per) {
    Bytes b;
    modPublicTools::PutLong(b, price);
    b.insert(b.end(), {free, self, need, per});
    return b;
}

// n records, record i: price 100 i, free count i + 1, use byte `self`, threshold 2 i.
Bytes List(int n, std::uint8_t self) {
    Bytes b;
    for (int i = 0; i < n; ++i) {
        const Bytes r = Record(100 * i, static_cast<std::uint8_t>(i + 1), self, static_cast<std::uint8_t>(2 * i), 7);
        b.insert(b.end(), r.begin(), r.end());
    }
    return b;
}

modGameDefine Fresh(std::uint8_t local) {
    modGameDefine g;
    g.InitGameDefine();
    g.bteCurUserNo = local;
    return g;
}

}  // namespace

TEST(ItemRecord, ReadsBigEndianSignedPriceAndAnyNonZeroUseByteAsSelf) {
    DaoJuDef d = DefaultItem(DJ_JINSHOU);
    ASSERT_TRUE(ReadItemRecord(Record(200, 3, 2, 4, 5), 0, d));
    EXPECT_EQ(d.lngPrice, 200);
    EXPECT_EQ(d.bteFreeCount, 3);
    EXPECT_TRUE(d.blnUseSelf);  // 2 is as good as 1
    EXPECT_EQ(d.bteNeedDelFk, 4);
    EXPECT_EQ(d.bteFreePerDelFk, 5);
    EXPECT_EQ(d.strName, "禁手");

    ASSERT_TRUE(ReadItemRecord(Record(-1, 0, 0, 0, 0), 0, d));
    EXPECT_EQ(d.lngPrice, -1);
    EXPECT_FALSE(d.blnUseSelf);
    ASSERT_TRUE(ReadItemRecord(Record(INT_MIN, 0, 1, 0, 0), 0, d));
    EXPECT_EQ(d.lngPrice, INT_MIN);

    Bytes written;
    PutItemRecord(written, d);
    EXPECT_EQ(written, Record(INT_MIN, 0, 1, 0, 0));
}

TEST(ItemRecord, RecordCutShortSetsOnlyTheFieldsItCarries) {
    const Bytes full = Record(300, 9, 0, 8, 6);
    for (std::size_t len = 0; len < full.size(); ++len) {
        DaoJuDef d = DefaultItem(DJ_ZHADAN);
        EXPECT_FALSE(ReadItemRecord(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)), 0, d));
        EXPECT_EQ(d.lngPrice, len >= 4 ? 300 : -1) << len;
        EXPECT_EQ(d.bteFreeCount, len >= 5 ? 9 : 0) << len;
        EXPECT_EQ(d.blnUseSelf, len < 6) << len;  // the default of the bomb is self-use
        EXPECT_EQ(d.bteNeedDelFk, len >= 7 ? 8 : 0) << len;
        EXPECT_EQ(d.bteFreePerDelFk, 0) << len;
    }
}

TEST(ItemList, TwelveRecordsSetNineItemsAndGameStartHandsOutFreeUses) {
    modGameDefine g = Fresh(4);
    Bytes msg{17, 12};
    const Bytes list = List(12, 1);
    msg.insert(msg.end(), list.begin(), list.end());
    ReadDaoJuList(g, msg, 2, 12, true);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(g.g_DaoJu[i].lngPrice, 100 * i);
        EXPECT_EQ(g.g_DaoJu[i].bteNeedDelFk, 2 * i);
        EXPECT_EQ(g.SeatUser[4].bteDaoJuCount[i], i + 1);
    }
    for (int s : {0, 1, 2, 3, 5})
        for (std::uint8_t c : g.SeatUser[s].bteDaoJuCount) EXPECT_EQ(c, 0);

    // The snapshot reads the same list but leaves the counts to its count bytes.
    modGameDefine snap = Fresh(4);
    ReadDaoJuList(snap, msg, 2, 12, false);
    EXPECT_EQ(snap.g_DaoJu[8].lngPrice, 800);
    for (std::uint8_t c : snap.SeatUser[4].bteDaoJuCount) EXPECT_EQ(c, 0);
}

TEST(ItemList, ThreeRecordsLeaveTheOtherItemsAsTheyWere) {
    modGameDefine g = Fresh(0);
    ReadDaoJuList(g, List(9, 1), 0, 9, true);  // every item self-use, priced
    ReadDaoJuList(g, List(3, 0), 0, 3, true);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(g.g_DaoJu[i].blnUseSelf) << i;
    for (int i = 3; i < 9; ++i) {
        EXPECT_TRUE(g.g_DaoJu[i].blnUseSelf) << i;
        EXPECT_EQ(g.g_DaoJu[i].lngPrice, 100 * i);
        EXPECT_EQ(g.SeatUser[0].bteDaoJuCount[i], i + 1);
    }
    // A list announcing more records than the message holds stops at its end.
    modGameDefine cut = Fresh(0);
    const Bytes two = List(2, 0);
    ReadDaoJuList(cut, Bytes(two.begin(), two.begin() + 13), 0, 9, true);
    EXPECT_EQ(cut.g_DaoJu[1].bteFreeCount, 2);
    EXPECT_EQ(cut.g_DaoJu[1].bteNeedDelFk, 0);  // byte 6 of the second record is missing
    EXPECT_EQ(cut.SeatUser[0].bteDaoJuCount[1], 2);
    EXPECT_EQ(cut.g_DaoJu[2].lngPrice, -1);
}

TEST(ItemCounts, RemovalCountsAreSkippedByTheirNumberNotMisreadAsPath) {
    for (int k : {11, 12, 3, 0}) {
        modGameDefine g = Fresh(0);
        // removal broadcast: 19, -, seat, combo a, combo b, k, counts, node count, nodes
        Bytes msg{19, 0, 2, 0, 0, static_cast<std::uint8_t>(k)};
        for (int i = 0; i < k; ++i) msg.push_back(static_cast<std::uint8_t>(30 + i));
        msg.insert(msg.end(), {2, 4, 4, 4, 5});
        const std::size_t next = StoreDaoJuCounts(g, msg[2], msg, 6, msg[5]);
        ASSERT_EQ(next, 6u + k);
        EXPECT_EQ(msg[next], 2) << "node count of k = " << k;
        for (int i = 0; i < 9; ++i) EXPECT_EQ(g.SeatUser[2].bteDaoJuCount[i], i < k ? 30 + i : 0) << i;
    }
    // A seat above 5 stores nothing and still passes its bytes; a short message keeps
    // the counts it does not reach.
    modGameDefine g = Fresh(0);
    const Bytes counts{9, 9, 9};
    EXPECT_EQ(StoreDaoJuCounts(g, 6, counts, 0, 3), 3u);
    EXPECT_EQ(StoreDaoJuCounts(g, 1, counts, 1, 5), 6u);
    EXPECT_EQ(g.SeatUser[1].bteDaoJuCount[1], 9);
    EXPECT_EQ(g.SeatUser[1].bteDaoJuCount[2], 0);

    SetDaoJuCount(g, 5, DJ_DITU, 4);
    SetDaoJuCount(g, 6, 0, 4);
    SetDaoJuCount(g, 0, 9, 4);
    EXPECT_EQ(g.SeatUser[5].bteDaoJuCount[DJ_DITU], 4);
    EXPECT_EQ(g.SeatUser[0].bteDaoJuCount, (std::array<std::uint8_t, 9>{}));
}

TEST(ItemUse, MapBetweenGamesOthersOnceEnoughTilesAreRemoved) {
    modGameDefine g = Fresh(1);
    g.g_DaoJu[DJ_ZHADAN].bteNeedDelFk = 4;
    g.blnGameStopped = true;
    for (int k = 0; k < 9; ++k) EXPECT_EQ(IsDaoJuUsable(g, k), k == DJ_DITU) << k;

    g.blnGameStopped = false;
    EXPECT_FALSE(IsDaoJuUsable(g, DJ_DITU));
    EXPECT_TRUE(IsDaoJuUsable(g, DJ_ZHINANZHEN));  // threshold 0, count 0: still usable
    EXPECT_FALSE(IsDaoJuUsable(g, DJ_ZHADAN));
    g.SeatUser[1].bteDelFkCount = 2;  // first removal
    EXPECT_FALSE(IsDaoJuUsable(g, DJ_ZHADAN));
    g.SeatUser[1].bteDelFkCount = 4;  // second removal
    EXPECT_TRUE(IsDaoJuUsable(g, DJ_ZHADAN));
    EXPECT_FALSE(IsDaoJuUsable(g, 9));
    EXPECT_FALSE(IsDaoJuUsable(g, -1));
}

TEST(ItemCatalogue, StartUpValuesAndSubCodes) {
    modGameDefine g;
    g.InitGameDefine();
    const bool self[9] = {true, true, false, false, true, false, false, false, true};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(g.g_DaoJu[k].lngPrice, -1);
        EXPECT_EQ(g.g_DaoJu[k].blnUseSelf, self[k]);
        EXPECT_FALSE(g.g_DaoJu[k].strDescription.empty());
        EXPECT_EQ(ItemOfSubCode(ItemSubCode(k)), k);
    }
    EXPECT_EQ(g.g_DaoJu[DJ_DITU].strName, "地图");
    EXPECT_EQ(ItemSubCode(DJ_ZHINANZHEN), 9);
    EXPECT_EQ(ItemSubCode(DJ_CHONGLIE), 10);
    // Numbers that are no item must not come out as the compass or rearrange code.
    EXPECT_EQ(ItemOfSubCode(ItemSubCode(9)), -1);
    EXPECT_EQ(ItemOfSubCode(ItemSubCode(10)), -1);
    EXPECT_EQ(ItemOfSubCode(255), -1);
    EXPECT_EQ(ItemOfSubCode(0), -1);
    EXPECT_EQ(ItemOfSubCode(1), -1);
}
