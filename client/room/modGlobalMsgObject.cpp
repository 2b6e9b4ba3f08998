#include "client/room/modGlobalMsgObject.h"

#include "client/TableClient.h"
#include "client/room/frmMsg.h"

modGlobalMsgObject::modGlobalMsgObject(TableClient& client) : client_(client) {}

modGlobalMsgObject::~modGlobalMsgObject() {
    for (auto& slot : udtMsgObject) {
        if (!slot.window) continue;
        frmMsg* w = slot.window;
        slot.window = nullptr;
        w->DetachFromPool();
        delete w;
    }
}

void modGlobalMsgObject::InitMsgObject() {
    // Slots of windows still open stay theirs (all callers close group 0 first, so
    // normally none is left and the pool starts empty).
    while (!udtMsgObject.empty() && !udtMsgObject.back().window) udtMsgObject.pop_back();
    lngMsgObjectMax = static_cast<std::int32_t>(udtMsgObject.size()) - 1;
    strMsgResPath = client_.strLobbyPath + "res/";
}

bool modGlobalMsgObject::ShowMsgWindow(std::int32_t lngRoomObjectIdx, QWidget* frmOwner, std::uint8_t bteMsgType,
                                       const std::string& strNote, const std::string& strCaption,
                                       std::int32_t lngMaxDelayTime, const std::string& strYesCmdCaption,
                                       const std::string& strNoCmdCaption, bool blnYesDefault) {
    // 1. The first free slot, or a new one at the end.
    std::int32_t idx = 0;
    while (idx <= lngMsgObjectMax && udtMsgObject[idx].window) ++idx;
    if (idx > lngMsgObjectMax) {
        udtMsgObject.resize(idx + 1);
        lngMsgObjectMax = idx;
    }

    // 2. A new window in it; a window closed without an answer answers no, not what an
    // earlier window of the slot answered.
    auto* w = new frmMsg(*this, frmOwner);
    udtMsgObject[idx].window = w;
    udtMsgObject[idx].answer = false;
    w->lngRoomObjectIdx = lngRoomObjectIdx;
    w->lngMsgObjectIdx = idx;
    w->SetMsgInfo(bteMsgType, strNote, strCaption, strYesCmdCaption, strNoCmdCaption, lngMaxDelayTime, blnYesDefault);
    w->Form_Load();

    // 3. Not modal for a notice without buttons, modal otherwise.
    if (bteMsgType == 0) {
        w->show();
    } else {
        w->setWindowModality(Qt::ApplicationModal);
        w->exec();
    }

    // 4. The slot's answer (the pool may have been emptied while the window waited).
    return idx < static_cast<std::int32_t>(udtMsgObject.size()) && udtMsgObject[idx].answer;
}

void modGlobalMsgObject::CloseMsgWindows(std::int32_t lngRoomObjectIdx) {
    for (std::size_t i = 0; i < udtMsgObject.size(); ++i) {
        frmMsg* w = udtMsgObject[i].window;
        if (w && w->lngRoomObjectIdx == lngRoomObjectIdx) w->Unload();
    }
}

void modGlobalMsgObject::ReleaseSlot(const frmMsg* window, bool blnAnswered, bool blnAnswer) {
    for (auto& slot : udtMsgObject) {
        if (slot.window != window) continue;
        slot.window = nullptr;
        if (blnAnswered) slot.answer = blnAnswer;
        return;
    }
}
