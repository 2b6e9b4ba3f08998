#include "core/modDaoJuDefine.h"

#include "core/modPublicTools.h"

namespace modDaoJuDefine {
namespace {

struct Fixed {
    const char* name;
    bool useSelf;
    const char* description;
};

constexpr Fixed kFixed[kItemCount] = {
    {"指南针", true, "自动寻找可消去的方块对子，并给使用者显示出来"},
    {"重列", true, "将所有的方块对子重新排列一次"},
    {"禁手", false, "禁止对手选择方块阵列中的对子，时间限制为5秒"},
    {"闹钟", false, "加快对手每回合选择对子的考虑时间，5回合有效"},
    {"炸弹", true, "自动寻找可以消去的方块对子，将对子炸掉"},
    {"蒙眼", false, "使对手的屏幕持续出现5秒钟的黑雾，干扰对方的视线"},
    {"镜子", false, "翻转对手的方块阵列"},
    {"障碍", false, "在对手的棋盘内多丢6组方块(共2X6=12个)"},
    {"地图", true, "游戏未开始时选择地图"},
};

}  // namespace

DaoJuDef DefaultItem(int k) {
    DaoJuDef d;
    if (k < 0 || k >= kItemCount) return d;
    d.strName = kFixed[k].name;
    d.blnUseSelf = kFixed[k].useSelf;
    d.strDescription = kFixed[k].description;
    return d;
}

std::uint8_t ItemSubCode(int k) {
    if (k == DJ_ZHINANZHEN) return 9;
    if (k == DJ_CHONGLIE) return 10;
    if (k > DJ_CHONGLIE && k < kItemCount) return static_cast<std::uint8_t>(k);
    return 0;  // not an item: 9 or 10 here would name the compass or the rearrange
}

int ItemOfSubCode(std::uint8_t sub) {
    if (sub == 9) return DJ_ZHINANZHEN;
    if (sub == 10) return DJ_CHONGLIE;
    if (sub >= 2 && sub <= 8) return sub;
    return -1;
}

bool ReadItemRecord(const Bytes& bytData, std::size_t pos, DaoJuDef& item) {
    if (pos >= bytData.size()) return false;
    modPublicTools::GetLongFromBytes(item.lngPrice, bytData, pos);  // skipped when cut short
    auto byteAt = [&](std::size_t off, auto& field) {
        if (bytData.size() - pos > off) field = bytData[pos + off];
    };
    byteAt(4, item.bteFreeCount);
    if (bytData.size() - pos > 5) item.blnUseSelf = bytData[pos + 5] != 0;
    byteAt(6, item.bteNeedDelFk);
    byteAt(7, item.bteFreePerDelFk);
    return bytData.size() - pos >= static_cast<std::size_t>(kRecordSize);
}

void PutItemRecord(Bytes& out, const DaoJuDef& item) {
    modPublicTools::PutLong(out, item.lngPrice);
    out.push_back(item.bteFreeCount);
    out.push_back(item.blnUseSelf ? 1 : 0);
    out.push_back(item.bteNeedDelFk);
    out.push_back(item.bteFreePerDelFk);
}

}  // namespace modDaoJuDefine
