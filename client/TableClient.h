// One table client: the launch values, the user settings, the table (seats, boards,
// items, flags, identity), the main window and every module of the client. All client
// state lives here, so a test can build a fresh client, or several, in one process.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/platform/EventWait.h"
#include "core/Bytes.h"
#include "core/modGameDefine.h"

class frmMain;
class TableCanvas;
class modStart;
class modUserSet;
class modSound;
class modPublicDefine;
class modGlobalMsgObject;
class modRoomMsg;
class modGameMsg;
class modGameClock;
class modSelectFk;
class modPaint_FangKuai;
class modPaint_User;
class modPaint_CaptionButton;
class modPaint_GameBack;
class modPaint_DaoJuButton;
class modPaint_FenZuBut;
class modDaoJuEffect;
class modManage_AniTimer;
class modManage_ShanDianObject;
class modManage_BlastObject;
class modManage_LianJiObject;
class modManage_DaoJuObject;

class TableClient : public ProgramEnd {
public:
    TableClient();
    ~TableClient();
    TableClient(const TableClient&) = delete;
    TableClient& operator=(const TableClient&) = delete;

    // Launch values.
    std::string strAppPath;    // program folder, ending in '/'
    std::string strLobbyPath;  // its parent folder, ending in '/'
    std::string strRoomServerAddr;
    std::string strRoomServerPort;
    std::string strGameCaption;
    std::string strUserTitleTable;
    std::string strReserveArgs[2];
    std::string strCurUserName;
    std::uint8_t bteScoreKind = 0;  // non-zero: experience wording, zero: points wording
    // blnQuitFlag, EndProgram and blnProgramEnded: the program's end (ProgramEnd).
    // The program's exit status (TableExit::Code): why the window ended.
    int exitStatus = 0;
    // The player asked to leave the table: the connection's end is no loss.
    bool blnLeaving = false;

    // User settings ("UserSet.ini"), 0 = off, 1 = on.
    std::uint8_t bteAllowWatch = 1;
    std::uint8_t bteSoundOn = 1;
    std::uint8_t bteShowInOut = 1;
    std::uint8_t bteQuitPrompt = 1;
    std::uint8_t bteWrongPrompt = 1;

    // Seats, boards, item catalogue, game flags and the local identity.
    modGameDefine game;

    // The main window; created by the start-up's InitGameEnvironment.
    std::unique_ptr<frmMain> mainForm;
    // What the drawing modules draw on: the main window's canvas; nullptr before it exists.
    TableCanvas* Canvas() const;

    // Modules.
    std::unique_ptr<modStart> start;
    std::unique_ptr<modUserSet> userSet;
    std::unique_ptr<modSound> sound;
    std::unique_ptr<modPublicDefine> publicDefine;
    std::unique_ptr<modGlobalMsgObject> msgObjects;
    std::unique_ptr<modRoomMsg> roomMsg;
    std::unique_ptr<modGameMsg> gameMsg;
    std::unique_ptr<modGameClock> gameClock;
    std::unique_ptr<modSelectFk> selectFk;
    std::unique_ptr<modPaint_FangKuai> paintFangKuai;
    std::unique_ptr<modPaint_User> paintUser;
    std::unique_ptr<modPaint_CaptionButton> paintCaptionButton;
    std::unique_ptr<modPaint_GameBack> paintGameBack;
    std::unique_ptr<modPaint_DaoJuButton> paintDaoJuButton;
    std::unique_ptr<modPaint_FenZuBut> paintFenZuBut;
    std::unique_ptr<modDaoJuEffect> daoJuEffect;
    std::unique_ptr<modManage_AniTimer> aniTimer;
    std::unique_ptr<modManage_ShanDianObject> shanDianObjects;
    std::unique_ptr<modManage_BlastObject> blastObjects;
    std::unique_ptr<modManage_LianJiObject> lianJiObjects;
    std::unique_ptr<modManage_DaoJuObject> daoJuObjects;

    // Sends one whole message to the room server through the socket control; false when
    // the control refuses it (not connected).
    bool SendMessage(const Bytes& message);

    // A file below the program folder, given with '\' or '/' separators ("Res\\GameBack.bmp").
    std::string ResPath(const std::string& relative) const;

    // Test seam: when set before start-up, the socket control reports the connection at
    // once and hands every sent message here instead of to a server.
    std::function<void(const Bytes&)> RecordSends;
};
