// The main window: one caption-less 800 x 600 frame with its own caption strip and
// caption buttons, the six seats and boards the drawing modules paint into its
// persistent image, the item and group buttons, the start button, and the four panel
// controls (chat, user list, time bar, socket). It routes every received message to the
// room or the game handler and ends the program when it unloads.
#pragma once
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/paint/TableCanvas.h"
#include "core/Bytes.h"

class TableClient;
class PictureBox;
class WindowTimer;
class ZelChatCtrl;
class FrmZelListGm;
class ZelTimeBarCtrl;
class ZelSckClientMain;
class SelectFrame;
class DisplayMode;
class frmUserSet;

class frmMain : public QWidget, public TableCanvas {
    Q_OBJECT
public:
    explicit frmMain(TableClient& client);
    ~frmMain() override;

    // Window events, in the order the window system raises them.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    // Asks the window to unload (close button, lost connection, start countdown...); the
    // first reason given becomes the program's exit status (TableExit::Code).
    void Unload(int exitStatus = 0);
    bool Unloaded() const override { return unloaded_; }

    void ConnectRoomServer();
    // The start-up's last step, for a window about to be shown: its first frame is the
    // table's own picture, and the three panel controls (chat, user list, time bar), the
    // window icon and the connection (with the network libraries) follow once that frame
    // is out, or after kConnectWithoutFrameMs when no frame comes (a window the system
    // never exposes).
    void FinishAfterFirstFrame();
    bool ConnectPending() const { return connectPending_; }
    void RedrawAllSeats();
    void SendGameSetResult(const Bytes& bteCmd);
    void PlayGameSound(std::uint8_t bteSoundNo);

    // Display mode.
    void SetDisplayMode(std::int32_t lngWidth, std::int32_t lngHeight, std::int32_t lngBits);
    void SaveDisplayMode();
    bool IsMinimized() const override;
    // Centres the window on the screen (the start-up's placement).
    void CenterWindow();
    // Hands a press on the caption strip to the window system, which drags the window.
    void BeginCaptionDrag();

    // Caption buttons: hover (the tag "0" normal, "1" highlighted, with the mouse
    // captured while over the button), release and the buttons' actions.
    void picHelpBut_MouseMove(int index, int button, int x, int y);
    void picHelpBut_MouseUp(int index, int button, int x, int y);
    void picSystemBut_MouseMove(int index, int button, int x, int y);
    void picSystemBut_MouseUp(int index, int button, int x, int y);
    void picHelpBut_Click(int index);
    void picSystemBut_Click(int index);
    // The item information window, not modal.
    void ShowDaoJuInfo();
    // The user settings window, not modal; a second press brings the open one forward.
    void ShowUserSet();
    QWidget* UserSetWindow() const { return userSetWindow_.data(); }

    // Socket events.
    void ZelSckClient_OnConnected();
    void ZelSckClient_OnDataArrival(const Bytes& data);
    void ZelSckClient_OnClose();
    void ZelSckClient_OnError();

    // Paints Res\GameBack.bmp onto the whole window (when the file is there) and the
    // caption strip's logo and caption over it.
    void PaintWindowBack();

    // Shows what changed in the persistent image (TableCanvas::Image) since the last
    // refresh: the union of the changed rectangles is repainted once, at the next turn of
    // the event loop, and the controls over the window that it does not touch are left alone.
    void Refresh() override;
    QWidget* Owner() override { return this; }
    // The part of the image changed since the last refresh.
    const QRegion& ChangedArea() const { return changedArea_; }
    // Every refresh repaints the whole window (the way to compare with partial repaints);
    // on from the start when the environment variable TILELINK_FULL_REPAINT is set.
    bool FullRepaint = false;

    // Controls (the drawing modules' ones are TableCanvas's).
    std::array<PictureBox*, 9> picDaoJuBut{};
    std::array<PictureBox*, 4> picFenZuBut{};
    QImage imgLogo;
    std::vector<QImage> imgDaoJu;
    QPushButton* cmdStart = nullptr;
    SelectFrame* shpSelectFlag = nullptr;
    WindowTimer* tmrStart = nullptr;
    WindowTimer* tmrJinShou = nullptr;
    WindowTimer* tmrMengYan = nullptr;
    ZelSckClientMain* ZelSckClient = nullptr;
    ZelChatCtrl* ZelChat = nullptr;
    FrmZelListGm* lstUser = nullptr;
    ZelTimeBarCtrl* ZelTimeBar = nullptr;

    // Display state.
    std::int32_t lngOldScreenWidth = 0;
    std::int32_t lngOldScreenHeight = 0;
    std::int32_t lngOldScreenBits = 0;
    bool blnDisplayChanged = false;
    // The display the window is shown on (full-screen play shows the scene scaled).
    std::unique_ptr<DisplayMode> displayMode;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    // Rows of the window copied to the screen at once (Qt draws copies of 96 rows or more
    // on its own threads).
    static constexpr int kPaintBandRows = 64;
    static constexpr int kConnectWithoutFrameMs = 200;
    // A move over or off one caption button: sets its tag and takes or gives back the
    // mouse; true when its picture must change.
    static bool CaptionButtonHover(PictureBox& button, int x, int y);
    // A release on it: back to normal; true when its picture must change.
    static bool CaptionButtonRelease(PictureBox& button);
    void DrawCaption();
    // The forced-quit question during a game; true when the player leaves anyway.
    bool ConfirmForcedQuit();

    TableClient& client_;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool resizing_ = false;
    // What the launcher learns: connected, seated by the table, a notice before that.
    bool connected_ = false;
    bool seated_ = false;
    std::string noticeBeforeSeat_;
    // FinishAfterFirstFrame's second half: the panels, the window icon, the connection.
    void AfterFirstFrame();
    bool connectPending_ = false;  // FinishAfterFirstFrame waits for the first frame
    std::vector<QPointer<QWidget>> panelsAfterFirstFrame_;
    QPointer<QWidget> userSetWindow_;  // the open settings window
    QRegion changedArea_;              // of Image, not shown yet
};
