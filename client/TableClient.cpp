#include "client/TableClient.h"

#include <QApplication>
#include <cstdlib>

#include "client/board/modPaint_FangKuai.h"
#include "client/board/modSelectFk.h"
#include "client/game/modGameClock.h"
#include "client/game/modGameMsg.h"
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
#include "client/platform/ZelSckClientMain.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/room/modPublicDefine.h"
#include "client/room/modRoomMsg.h"
#include "client/start/frmMain.h"
#include "client/start/modSound.h"
#include "client/start/modStart.h"
#include "client/start/modUserSet.h"
#include "core/modRoomMsgDefine.h"

TableClient::TableClient()
    : start(std::make_unique<modStart>(*this)),
      userSet(std::make_unique<modUserSet>(*this)),
      sound(std::make_unique<modSound>(*this)),
      publicDefine(std::make_unique<modPublicDefine>(*this)),
      msgObjects(std::make_unique<modGlobalMsgObject>(*this)),
      roomMsg(std::make_unique<modRoomMsg>(*this)),
      gameMsg(std::make_unique<modGameMsg>(*this)),
      gameClock(std::make_unique<modGameClock>(*this)),
      selectFk(std::make_unique<modSelectFk>(*this)),
      paintFangKuai(std::make_unique<modPaint_FangKuai>(*this)),
      paintUser(std::make_unique<modPaint_User>(*this)),
      paintCaptionButton(std::make_unique<modPaint_CaptionButton>(*this)),
      paintGameBack(std::make_unique<modPaint_GameBack>(*this)),
      paintDaoJuButton(std::make_unique<modPaint_DaoJuButton>(*this)),
      paintFenZuBut(std::make_unique<modPaint_FenZuBut>(*this)),
      daoJuEffect(std::make_unique<modDaoJuEffect>(*this)),
      aniTimer(std::make_unique<modManage_AniTimer>(*this)),
      shanDianObjects(std::make_unique<modManage_ShanDianObject>(*this)),
      blastObjects(std::make_unique<modManage_BlastObject>(*this)),
      lianJiObjects(std::make_unique<modManage_LianJiObject>(*this)),
      daoJuObjects(std::make_unique<modManage_DaoJuObject>(*this)) {
    EndProgram = [this] { std::exit(exitStatus); };
}

TableClient::~TableClient() {
    // Message windows and pooled objects refer to the main window: they go first.
    msgObjects.reset();
    mainForm.reset();
}

bool TableClient::SendMessage(const Bytes& message) {
    if (!mainForm || !mainForm->ZelSckClient || message.empty()) return false;
    // Leaving the table (the settings refused): the server's close that follows is the
    // player's own end.
    if (message[0] == modRoomMsgDefine::ROOMMSG_USERLEAVE) blnLeaving = true;
    return mainForm->ZelSckClient->SendData(message, 0, message.size() - 1);
}

TableCanvas* TableClient::Canvas() const { return mainForm.get(); }

std::string TableClient::ResPath(const std::string& relative) const {
    std::string path = strAppPath;
    for (char c : relative) path.push_back(c == '\\' ? '/' : c);
    return path;
}
