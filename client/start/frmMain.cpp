#include "client/start/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/board/modSelectFk.h"
#include "client/game/modGameClock.h"
#include "client/game/modGameMsg.h"
#include "client/items/modManage_DaoJuObject.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/items/modPaint_FenZuBut.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/paint/modManage_BlastObject.h"
#include "client/paint/modManage_LianJiObject.h"
#include "client/paint/modManage_ShanDianObject.h"
#include "client/paint/modPaint_CaptionButton.h"
#include "client/paint/modPaint_User.h"
#include "client/platform/DisplayMode.h"
#include "client/platform/FrmZelListGm.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"
#include "client/platform/SelectFrame.h"
#include "client/platform/WindowTimer.h"
#include "client/platform/ZelChatCtrl.h"
#include "client/platform/ZelSckClientMain.h"
#include "client/platform/ZelTimeBarCtrl.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/room/modPublicDefine.h"
#include "client/room/modRoomMsg.h"
#include "client/start/frmUserSet.h"
#include "client/start/modSound.h"
#include "client/start/modUserSet.h"
#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/RoomMessages.h"
#include "core/TableExit.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"
#include "core/modRoomMsgDefine.h"

frmMain::frmMain(TableClient& client) : QWidget(nullptr), client_(client) {
    displayMode = std::make_unique<DisplayMode>(*this, 800, 600);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(800, 600);
    Image = QImage(800, 600, QImage::Format_RGB32);
    Image.fill(QColor(0, 0, 0));
    Gdi::WatchChanges(Image, [this](const QRect& r) { changedArea_ += r; });
    FullRepaint = qEnvironmentVariableIsSet("TILELINK_FULL_REPAINT");

    auto picture = [this](bool visible) {
        auto* p = new PictureBox(this);
        p->setVisible(visible);
        return p;
    };
    for (auto& b : picSystemBut) b = picture(true);
    for (auto& b : picHelpBut) b = picture(true);
    picGameBack = picture(false);
    picTmpBuf = picture(false);
    picScoreTmpBuf = picture(false);
    for (auto& b : picShanDian) b = picture(false);
    picLianJi.push_back(picture(false));
    for (auto& b : picDaoJuBut) b = picture(false);
    for (auto& b : picFenZuBut) b = picture(false);
    imgDaoJu.emplace_back();
    imgLianJi.emplace_back();

    cmdStart = new QPushButton(QStringLiteral("可以开始"), this);
    cmdStart->hide();
    shpSelectFlag = new SelectFrame(this);

    tmrStart = new WindowTimer(this);
    tmrAni.push_back(new WindowTimer(this));
    tmrJinShou = new WindowTimer(this);
    tmrMengYan = new WindowTimer(this);

    ZelSckClient = new ZelSckClientMain(this);
    if (client_.RecordSends) ZelSckClient->AttachRecorder(client_.RecordSends);
    ZelChat = new ZelChatCtrl(this);
    lstUser = new FrmZelListGm(this);
    ZelTimeBar = new ZelTimeBarCtrl(this);

    // Events of the controls, as the window's handlers.
    ZelSckClient->OnConnected = [this] { ZelSckClient_OnConnected(); };
    ZelSckClient->OnDataArrival = [this](const Bytes& d) { ZelSckClient_OnDataArrival(d); };
    ZelSckClient->OnClose = [this] { ZelSckClient_OnClose(); };
    ZelSckClient->OnError = [this] { ZelSckClient_OnError(); };
    lstUser->OnListLoaded = [this](const std::string& names) { client_.roomMsg->lstUser_OnListLoaded(names); };
    lstUser->OnUserClicked = [this](bool context, const std::string& name, const std::string& record) {
        client_.roomMsg->lstUser_OnUserClicked(context, name, record);
    };
    ZelChat->OnSendChat = [this](const std::array<std::string, 10>& f) { client_.roomMsg->ZelChat_OnSendChat(f); };
    ZelTimeBar->OnTimeOut = [this] { client_.gameClock->ZelTimeBar_OnTimeOut(); };
    ZelTimeBar->OnTick = [this] { client_.gameClock->ZelTimeBar_OnTick(); };
    tmrStart->OnTimer = [this] { client_.gameClock->tmrStart_Timer(); };
    connect(cmdStart, &QPushButton::clicked, this, [this] { client_.gameClock->cmdStart_Click(); });

    for (int i = 0; i < 2; ++i) {
        picHelpBut[i]->OnMouseMove = [this, i](int b, int x, int y) { picHelpBut_MouseMove(i, b, x, y); };
        picHelpBut[i]->OnMouseUp = [this, i](int b, int x, int y) { picHelpBut_MouseUp(i, b, x, y); };
        picHelpBut[i]->OnPaint = [this, i] { client_.paintCaptionButton->PaintHelpButton(i); };
    }
    for (int i = 0; i < 3; ++i) {
        picSystemBut[i]->OnMouseMove = [this, i](int b, int x, int y) { picSystemBut_MouseMove(i, b, x, y); };
        picSystemBut[i]->OnMouseUp = [this, i](int b, int x, int y) { picSystemBut_MouseUp(i, b, x, y); };
        picSystemBut[i]->OnPaint = [this, i] { client_.paintCaptionButton->PaintSystemButton(i); };
    }
}

frmMain::~frmMain() { Gdi::StopWatching(Image); }

void frmMain::Form_Load() {
    // 1-2. Persistent drawing in pixels, the program icon and the caption; the frame is
    // our own, so the system menu comes with the window itself.
    setWindowTitle(QString::fromStdString(client_.strGameCaption));
    const std::string logo = client_.ResPath("Res\\Logo.ico");
    imgLogo = PictureFile::LoadPicture(logo, 16);
    // The icon (all its sizes) goes to the window system once the first frame is out.

    // 3. The scratch picture area and the hidden image holders.
    picTmpBuf->AutoRedraw = false;
    picTmpBuf->hide();
    imgNetBreak = PictureFile::LoadPicture(client_.ResPath("Res\\NetBreak.bmp"));

    // 4. The start button and its countdown.
    cmdStart->hide();
    tmrStart->SetEnabled(false);
    tmrStart->SetInterval(1000);
    tmrStart->Tag = "20";

    // 5. The socket control shows nothing.
    ZelSckClient->Visible = false;
    ZelSckClient->ShowErrors = false;

    // 6. The user list.
    const bool experience = client_.bteScoreKind != 0;
    const std::string scoreWord = experience ? "经验" : "积分";
    lstUser->SetLocalUser(client_.strCurUserName);
    lstUser->SetColors(0x8C8A00u, 0xFFFFFFu);  // RGB(0, 138, 140) and white, as 0x00BBGGRR
    lstUser->NumericOption = 6;
    lstUser->SetTitle("用户列表");
    lstUser->SetScoreCaption(scoreWord);
    lstUser->SetColumnHeaders("用户名`用户ID`" + scoreWord +
                                  "`级别`旁观对象`总局数`胜率`逃跑率`胜`输`和`人物类型`图标号`实际椅子号`举手`掉线",
                              11);
    lstUser->SetColumnWidths("100`90`70`80`80`60`50`50`50`50`50");
    if (!client_.strUserTitleTable.empty()) {
        lstUser->SetLevelTitles([table = modPublicDefine::ParseTitleTable(client_.strUserTitleTable)](
                                    std::int32_t level) { return modPublicDefine::LookUpTitle(table, level); });
    }
    lstUser->BoolOption = false;

    // 7. The chat panel.
    ZelChat->FacePath = client_.strLobbyPath + "\\UserRes\\face";
    ZelChat->AppPath = client_.strAppPath;
    ZelChat->PageFile = "MeChatWeb.htm";
    ZelChat->SetCurUserName(client_.strCurUserName);
    ZelChat->SetTalkTo("所有人");
    ZelChat->InitChat();
    ZelChat->Option1 = false;
    ZelChat->RoomTitle = "聊天室";
    ZelChat->Option2 = false;

    // 8. The user settings.
    client_.userSet->LoadUserSet();

    // 9. The item tooltip is made when the mouse first comes over an item.

    loaded_ = true;
    Form_Resize();
}

void frmMain::Form_Resize() {
    if (!loaded_ || IsMinimized() || resizing_) return;
    resizing_ = true;
    // Full-screen mode comes back after a restore from minimised.
    const DisplayMode::Mode now = displayMode->Current();
    if (bteWindowMode == 2 && !(now.width == 800 && now.height == 600)) {
        SetDisplayMode(800, 600, lngOldScreenBits);
        move(0, 0);
        blnDisplayChanged = true;
    }
    ZelChat->setGeometry(622, 294, 162, 142);
    lstUser->setGeometry(622, 454, 162, 127);
    ZelTimeBar->setGeometry(81, 574, 330, ZelTimeBar->height() > 0 ? ZelTimeBar->height() : 16);
    client_.paintCaptionButton->LayoutCaptionButton();
    client_.paintDaoJuButton->ArrangeDaoJuButton();
    client_.paintFenZuBut->ArrangeFenZuBut();
    DrawCaption();
    resizing_ = false;
}

void frmMain::DrawCaption() {
    if (!imgLogo.isNull()) Gdi::PaintPicture(Image, imgLogo, 10, 7);
    Gdi::PrintText(Image, 30, 9, client_.strGameCaption, Gdi::RGB(206, 229, 255), 9, false);
    Refresh();
}

void frmMain::PaintWindowBack() {
    const std::string back = client_.ResPath("Res\\GameBack.bmp");
    if (!PictureFile::Exists(back)) return;
    const QImage pic = PictureFile::LoadPicture(back);
    if (!pic.isNull()) {
        QPainter p(&Image);
        p.drawImage(0, 0, pic);
        Gdi::Changed(Image, QRect(0, 0, pic.width(), pic.height()));
    }
    // The background covers the caption strip: the logo and the caption go on it again.
    DrawCaption();
}

void frmMain::Unload(int exitStatus) {
    if (unloaded_) return;
    client_.exitStatus = exitStatus;
    if (exitStatus == TableExit::Refused) {
        std::printf("%s%s\n", TableExit::kRefusedMark, noticeBeforeSeat_.c_str());
        std::fflush(stdout);
    }
    Form_Unload();
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    client_.blnQuitFlag = true;
    if (blnDisplayChanged && !(lngOldScreenWidth == 800 && lngOldScreenHeight == 600))
        SetDisplayMode(lngOldScreenWidth, lngOldScreenHeight, lngOldScreenBits);
    blnDisplayChanged = false;

    client_.shanDianObjects->ReleaseShanDianObject();
    client_.blastObjects->ReleaseBlastObject();
    client_.lianJiObjects->ReleaseLianJiObject();
    client_.daoJuObjects->ReleaseDaoJuObject();
    client_.aniTimer->ReleaseAniTimer();

    client_.msgObjects->CloseMsgWindows(0);
    for (PictureBox* b : picHelpBut) b->ReleaseCapture();
    for (PictureBox* b : picSystemBut) b->ReleaseCapture();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
    hide();

    if (!client_.blnProgramEnded) {
        client_.blnProgramEnded = true;
        if (client_.EndProgram) client_.EndProgram();
    }
}

void frmMain::FinishAfterFirstFrame() {
    for (QWidget* panel :
         {static_cast<QWidget*>(ZelChat), static_cast<QWidget*>(lstUser), static_cast<QWidget*>(ZelTimeBar)}) {
        if (panel->isHidden()) continue;
        panel->hide();
        panelsAfterFirstFrame_.emplace_back(panel);
    }
    connectPending_ = true;
    QTimer::singleShot(kConnectWithoutFrameMs, this, [this] { AfterFirstFrame(); });
}

void frmMain::AfterFirstFrame() {
    if (!connectPending_) return;
    connectPending_ = false;
    for (const QPointer<QWidget>& panel : panelsAfterFirstFrame_)
        if (panel) panel->show();
    panelsAfterFirstFrame_.clear();
    if (!imgLogo.isNull()) setWindowIcon(PictureFile::LoadIcon(client_.ResPath("Res\\Logo.ico")));
    if (!unloaded_) ConnectRoomServer();
}

void frmMain::ConnectRoomServer() {
    const std::int32_t port = LeadingNumber::Long(client_.strRoomServerPort);
    ZelSckClient->LibraryFolder = client_.strAppPath;
    ZelSckClient->Connect(client_.strRoomServerAddr, port, 120);
}

void frmMain::ZelSckClient_OnConnected() {
    connected_ = true;
    client_.SendMessage(RoomMessages::Login(client_.bteAllowWatch != 0));
}

void frmMain::ZelSckClient_OnDataArrival(const Bytes& data) {
    if (data.empty() || unloaded_) return;
    if (!seated_) GameMessages::ParseNotice(data, noticeBeforeSeat_);
    if (MsgRoute::IsGameMessage(data[0])) client_.gameMsg->ExecGameMsg(data);
    else client_.roomMsg->ExecRoomMsg(data);
    // The first table snapshot places the client: the launcher waits for this line.
    if (!seated_ && !unloaded_ && data[0] == modRoomMsgDefine::ROOMMSG_TABLESTATE) {
        seated_ = true;
        std::printf("%s%d\n", TableExit::kSeatedMark, int(client_.game.bteCurUserNo));
        std::fflush(stdout);
        // The sound card is opened now that the window is up and the table is there, before
        // the game's first sound.
        client_.sound->Prepare();
    }
}

// A connection that ends before the table placed the client was turned away at the door.
void frmMain::ZelSckClient_OnClose() {
    Unload(client_.blnLeaving ? TableExit::Closed : seated_ ? TableExit::ConnectionLost : TableExit::Refused);
}

void frmMain::ZelSckClient_OnError() {
    Unload(!connected_ ? TableExit::ConnectFailed : seated_ ? TableExit::ConnectionLost : TableExit::Refused);
}

void frmMain::SendGameSetResult(const Bytes& bteCmd) { client_.SendMessage(bteCmd); }

void frmMain::PlayGameSound(std::uint8_t bteSoundNo) { client_.sound->PlayGameSound(bteSoundNo); }

void frmMain::RedrawAllSeats() {
    auto& g = client_.game;
    // Between a game's end and the clearing of the boards the results received stay: the
    // redraw clears the board areas first and then shows each kept result again.
    const auto kept = client_.paintUser->udtSeatResult;
    for (int s = 0; s < 6; ++s) {
        client_.paintUser->PaintUserSeat(s);
        client_.paintUser->PaintUserNetBreak(s);
        client_.paintUser->PaintUserHand(s);
        if (!g.SeatUser[s].strUserName.empty()) {
            client_.paintUser->PaintUserFkCount(s);
            client_.paintFangKuai->DrawSeatBoard(s, g.SeatUser[s].blnGameOut);
            if (g.blnGameStopped && kept[s].blnKnown)
                client_.paintUser->PaintUserScore(s, kept[s].btePlace, kept[s].lngScore);
            else if (g.SeatUser[s].blnGameOut) client_.paintUser->PaintUserScore(s, g.SeatUser[s].btePlace, 0);
        }
    }
    client_.gameClock->UpdateStartButton();
    if (g.blnIsWatcher || !g.blnGameStopped) {
        client_.paintFenZuBut->ShowFenZuBut(false);
    } else {
        client_.paintFenZuBut->RefreshFenZuBut();
        for (int s = 0; s < 6; ++s)
            if (!g.SeatUser[s].strUserName.empty()) client_.paintUser->PaintUserFenZu(s);
    }
    if (g.blnIsWatcher) client_.paintDaoJuButton->ShowDaoJuButton(false);
    else client_.paintDaoJuButton->SetDaoJuButtonState(g.blnGameStopped);
}

void frmMain::SetDisplayMode(std::int32_t lngWidth, std::int32_t lngHeight, std::int32_t lngBits) {
    // A refused change leaves the window where it is, without a message.
    displayMode->Change(lngWidth, lngHeight, lngBits);
}

void frmMain::SaveDisplayMode() {
    const DisplayMode::Mode now = displayMode->Current();
    lngOldScreenWidth = now.width;
    lngOldScreenHeight = now.height;
    lngOldScreenBits = now.bits;
    blnDisplayChanged = false;
}

void frmMain::CenterWindow() {
    const QRect area = displayMode->DesktopArea();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

bool frmMain::IsMinimized() const { return isMinimized(); }

void frmMain::Refresh() {
    if (FullRepaint) update();
    else if (!changedArea_.isEmpty()) update(changedArea_);
    changedArea_ = QRegion();
}

void frmMain::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    // In bands of a few rows: a larger copy through a clipped painter makes Qt start its
    // drawing threads, which cost the first frame more than the copy itself.
    for (const QRect& r : e->region()) {
        for (int top = r.top(); top <= r.bottom(); top += kPaintBandRows) {
            const QRect band(r.left(), top, r.width(), std::min(kPaintBandRows, r.bottom() + 1 - top));
            p.drawImage(band.topLeft(), Image, band);
        }
    }
    // The frame goes to the window system when this event is over; the connection after it.
    if (connectPending_) QTimer::singleShot(0, this, [this] { AfterFirstFrame(); });
}

void frmMain::resizeEvent(QResizeEvent*) { Form_Resize(); }

void frmMain::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* e) {
    Unload();
    e->accept();
}

void frmMain::mousePressEvent(QMouseEvent* e) {
    client_.selectFk->Form_MouseDown(MouseButtonCode(e->button()), int(e->position().x()), int(e->position().y()));
}

void frmMain::BeginCaptionDrag() {
    if (windowHandle()) windowHandle()->startSystemMove();
}

bool frmMain::CaptionButtonHover(PictureBox& button, int x, int y) {
    bool changed = false;
    if (button.Contains(x, y)) {
        if (button.Tag == "0") {
            button.Tag = "1";
            changed = true;
        }
        button.SetCapture();  // so that leaving the button is noticed
    } else {
        if (button.Tag == "1") {
            button.Tag = "0";
            changed = true;
        }
        button.ReleaseCapture();
    }
    return changed;
}

bool frmMain::CaptionButtonRelease(PictureBox& button) {
    button.ReleaseCapture();
    if (button.Tag != "1") return false;
    button.Tag = "0";
    return true;
}

void frmMain::picHelpBut_MouseMove(int index, int, int x, int y) {
    if (index < 0 || index > 1) return;
    if (CaptionButtonHover(*picHelpBut[index], x, y)) client_.paintCaptionButton->PaintHelpButton(index);
}

void frmMain::picHelpBut_MouseUp(int index, int button, int x, int y) {
    if (index < 0 || index > 1) return;
    // Released off the button: leaving it gave the mouse back, nothing is pressed.
    if (!picHelpBut[index]->Contains(x, y)) {
        picHelpBut_MouseMove(index, button, x, y);
        return;
    }
    if (CaptionButtonRelease(*picHelpBut[index])) client_.paintCaptionButton->PaintHelpButton(index);
    picHelpBut_Click(index);
}

void frmMain::picSystemBut_MouseMove(int index, int, int x, int y) {
    if (index < 0 || index > 2) return;
    if (CaptionButtonHover(*picSystemBut[index], x, y)) client_.paintCaptionButton->PaintSystemButton(index);
}

void frmMain::picSystemBut_MouseUp(int index, int button, int x, int y) {
    if (index < 0 || index > 2) return;
    if (!picSystemBut[index]->Contains(x, y)) {
        picSystemBut_MouseMove(index, button, x, y);
        return;
    }
    if (CaptionButtonRelease(*picSystemBut[index])) client_.paintCaptionButton->PaintSystemButton(index);
    picSystemBut_Click(index);
}

void frmMain::picHelpBut_Click(int index) {
    if (index == 0) ShowDaoJuInfo();
    if (index == 1) ShowUserSet();
}

void frmMain::ShowDaoJuInfo() { client_.paintDaoJuButton->ShowDaoJuInfo(); }

void frmMain::ShowUserSet() {
    if (!userSetWindow_) userSetWindow_ = new frmUserSet(client_, this);
    userSetWindow_->show();
    userSetWindow_->raise();
    userSetWindow_->activateWindow();
}

void frmMain::picSystemBut_Click(int index) {
    const bool savedIs800 = lngOldScreenWidth == 800 && lngOldScreenHeight == 600;
    switch (index) {
        case 0:  // minimise: the desktop gets its own resolution back first
            if (blnDisplayChanged && !savedIs800) {
                SetDisplayMode(lngOldScreenWidth, lngOldScreenHeight, lngOldScreenBits);
                blnDisplayChanged = false;
            }
            picSystemBut[0]->Tag = "0";
            showMinimized();
            break;
        case 1:  // full screen and back
            if (!blnDisplayChanged) {
                if (!savedIs800) {
                    SetDisplayMode(800, 600, lngOldScreenBits);
                    blnDisplayChanged = true;
                }
                move(0, 0);
            } else if (!savedIs800) {
                SetDisplayMode(lngOldScreenWidth, lngOldScreenHeight, lngOldScreenBits);
                CenterWindow();
                blnDisplayChanged = false;
            }
            bteWindowMode = bteWindowMode == 2 ? 0 : 2;
            picSystemBut[1]->Tag = "0";
            client_.paintCaptionButton->PaintSystemButton(1);
            break;
        case 2:  // close
            if (ConfirmForcedQuit()) Unload(TableExit::Closed);
            break;
        default:
            break;
    }
}

bool frmMain::ConfirmForcedQuit() {
    const auto& g = client_.game;
    if (g.blnIsWatcher || g.blnGameStopped || client_.bteQuitPrompt == 0) return true;
    return client_.msgObjects->ShowMsgWindow(
        0, this, 2, "大伙正在游戏，如果你现在退出是很不道德的，并且系统会算你逃跑！你是否强退？", "系统提示", 10,
        "强退", "取消", false);
}
