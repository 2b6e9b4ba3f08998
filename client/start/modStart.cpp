#include "client/start/modStart.h"

#include <QFileInfo>
#include <QPainter>
#include <future>
#include <vector>

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/items/modDaoJuEffect.h"
#include "client/items/modManage_DaoJuObject.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/items/modPaint_FenZuBut.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/paint/modManage_BlastObject.h"
#include "client/paint/modManage_LianJiObject.h"
#include "client/paint/modManage_ShanDianObject.h"
#include "client/paint/modPaint_CaptionButton.h"
#include "client/paint/modPaint_GameBack.h"
#include "client/paint/modPaint_User.h"
#include "client/platform/MsgBox.h"
#include "client/platform/PictureFile.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/room/modPublicDefine.h"
#include "client/start/frmMain.h"
#include "core/LaunchArgs.h"
#include "core/LeadingNumber.h"

modStart::modStart(TableClient& client) : client_(client) {}

bool modStart::Main(const std::vector<std::string>& args, const std::string& programFile) {
    programFile_ = programFile;
    switch (LaunchArgs::CheckLaunchArgs(args)) {
        case LaunchArgs::LaunchCheck::WrongCount:
            MsgBox::Show(nullptr, "1号错误，无法正常启动游戏！", "游戏提示", MsgBox::Icon::Error);
            return false;
        case LaunchArgs::LaunchCheck::WrongMarker:
            MsgBox::Show(nullptr, "2号错误，无法正常启动游戏！", "游戏提示", MsgBox::Icon::Error);
            return false;
        case LaunchArgs::LaunchCheck::Ok:
            break;
    }
    // A score kind that does not fit in a byte cannot be stored: it counts as a wrong
    // argument, like a wrong count.
    const auto scoreKind = LeadingNumber::ToLong(args[9]);
    if (!scoreKind || *scoreKind < 0 || *scoreKind > 255) {
        MsgBox::Show(nullptr, "1号错误，无法正常启动游戏！", "游戏提示", MsgBox::Icon::Error);
        return false;
    }

    client_.strRoomServerAddr = args[2];
    client_.strRoomServerPort = args[3];
    client_.strGameCaption = args[4];
    client_.strUserTitleTable = args[5];
    client_.strReserveArgs[0] = args[6];
    client_.strReserveArgs[1] = args[7];
    client_.strCurUserName = args[8];
    client_.bteScoreKind = static_cast<std::uint8_t>(*scoreKind);

    client_.publicDefine->InitPublicDefine();
    client_.msgObjects->InitMsgObject();
    client_.game.InitGameDefine();
    InitGameEnvironment();
    return true;
}

void modStart::GetAppPath() {
    const std::string file = programFile_.empty()
                                 ? std::string()
                                 : QFileInfo(QString::fromStdString(programFile_)).absoluteFilePath().toStdString();
    client_.strAppPath = LaunchArgs::AppPathOf(file);
}

void modStart::InitGameEnvironment() {
    // The pictures of the first frame are decoded on a worker thread while the window and
    // its controls are built; the drawing below then finds them decoded.
    // The worker gets its file names made here: the main thread sets the program's folder
    // again below while the worker runs.
    std::vector<std::string> files;
    for (const char* name : {"Res\\GameBack.bmp", "Res\\HelpBut.bmp", "Res\\SystemBut.bmp"})
        files.push_back(client_.ResPath(name));
    std::future<void> firstFramePictures = std::async(std::launch::async, [files = std::move(files)] {
        for (const std::string& file : files) PictureFile::LoadPicture(file);
    });
    client_.mainForm = std::make_unique<frmMain>(client_);
    client_.mainForm->Form_Load();
    GetAppPath();
    firstFramePictures.wait();

    client_.paintCaptionButton->InitCaptionButton();
    client_.paintUser->InitUserPaint();
    client_.paintFangKuai->InitBoardPos();
    client_.daoJuEffect->InitDaoJuEffect();
    client_.paintDaoJuButton->InitDaoJuButton();
    client_.paintFenZuBut->InitFenZuBut();
    client_.paintGameBack->InitGameBack();
    client_.aniTimer->InitAniTimer();
    client_.daoJuEffect->InitNaoZhong();
    client_.shanDianObjects->InitShanDianObject();
    client_.blastObjects->InitBlastObject();
    client_.lianJiObjects->InitLianJiObject();
    client_.daoJuObjects->InitDaoJuObject();

    frmMain& f = *client_.mainForm;
    f.resize(800, 600);
    f.CenterWindow();
    f.PaintWindowBack();
    f.FinishAfterFirstFrame();
    f.show();
    f.SaveDisplayMode();
}
