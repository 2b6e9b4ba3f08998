// The item bar: nine picture buttons with their state and the local player's count, a
// tooltip with the item's name (and price), and the start of an item use: items on
// oneself are asked for at once, an item thrown at another player waits on the mouse
// pointer for the click that names its target.
#pragma once
#include <QPointer>
#include <cstdint>
#include <string>

#include "core/Bytes.h"
#include "core/modLinkSearch.h"

class TableClient;
class PictureBox;
class frmDaoJuToolTip;
class frmDaoJuInfo;

class modPaint_DaoJuButton {
public:
    explicit modPaint_DaoJuButton(TableClient& client);

    void InitDaoJuButton();
    void ArrangeDaoJuButton();
    void PaintDaoJuButton(int index);
    void ShowDaoJuButton(bool blnShow);
    void RefreshDaoJuButton();
    void SetDaoJuButtonState(bool blnGameStopped);
    void SendItemToUser(std::uint8_t bteDaoJuNo, std::uint8_t bteDstUserNo);

    void picDaoJuBut_MouseMove(int index, int button, int x, int y);
    void picDaoJuBut_MouseDown(int index, int button, int x, int y);
    void picDaoJuBut_MouseUp(int index, int button, int x, int y);

    // Makes the tooltip window and leaves it off the window.
    void LoadDaoJuToolTip();
    // The tooltip window, made the first time it is wanted (after the window's first
    // frame: it is not part of it); nullptr without a main window.
    frmDaoJuToolTip* DaoJuToolTip();
    // The item information window, not modal: made at the first call, the same window
    // shown and brought forward at every later one.
    frmDaoJuInfo* ShowDaoJuInfo();

    // The icon of item k below the program folder: the pointer, the flying picture and
    // the help window's picture of the item.
    static std::string DaoJuIconName(int k);
    // Button k's place on the main window.
    static int ButtonLeft(int k) { return 619 + 24 * (k % 7); }
    static int ButtonTop(int k) { return 197 + 28 * (k / 7); }
    static constexpr int kButtonSize = 24;
    // The count's font size, in the button's pixels: the count stands at y = 24 - 10 - 3,
    // so a digit of this size ends above the frame at the foot of the button's picture.
    static constexpr int kCountFontSize = 10;

    static constexpr char kCompassNoPair[] = "现在你的方块阵列无解，无法使用“指南针”道具，请尽快使用“重列”道具！";

private:
    PictureBox* Button(int index) const;
    // The tooltip text of item k: its name, and its price when the table has prices.
    std::string ToolTipText(int k) const;
    void HideToolTip();
    // Sets a button's tag and repaints it when the tag changes.
    void SetTag(int index, const char* tag);
    // The item on the own board or table: compass, rearrange, bomb and map.
    void UseSelfItem(int k);
    // The map choice between games: the dialog, then the request with the chosen map.
    void ChooseMap();
    bool SendRequest(int item, std::uint8_t target = 0, std::uint8_t value = 0, const LinkPath& path = {});
    void ShowNotice(const std::string& strNote);

    TableClient& client_;
    QPointer<frmDaoJuToolTip> toolTip_;
    QPointer<frmDaoJuInfo> info_;
    // The map the player chose last; the map dialog opens on it again.
    int intLastMapIdx = 0;
};
