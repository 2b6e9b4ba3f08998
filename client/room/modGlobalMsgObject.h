// The pool of message windows: notices without buttons, notices with one button and
// questions with two, several open at once, closed together by owner group. Each slot
// holds its window while it is open and keeps the answer after it has closed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class QWidget;
class TableClient;
class frmMsg;

class modGlobalMsgObject {
public:
    explicit modGlobalMsgObject(TableClient& client);
    ~modGlobalMsgObject();
    modGlobalMsgObject(const modGlobalMsgObject&) = delete;
    modGlobalMsgObject& operator=(const modGlobalMsgObject&) = delete;

    void InitMsgObject();
    // Type 0 shows the window and returns at once; types 1 and 2 show it modally over
    // frmOwner and return the answer (true = yes) when it closes.
    bool ShowMsgWindow(std::int32_t lngRoomObjectIdx, QWidget* frmOwner, std::uint8_t bteMsgType,
                       const std::string& strNote, const std::string& strCaption, std::int32_t lngMaxDelayTime,
                       const std::string& strYesCmdCaption, const std::string& strNoCmdCaption, bool blnYesDefault);
    void CloseMsgWindows(std::int32_t lngRoomObjectIdx);

    // Called by a window when it unloads: empties its slot; a button's answer is kept
    // in the slot for the caller.
    void ReleaseSlot(const frmMsg* window, bool blnAnswered, bool blnAnswer);

    struct Slot {
        frmMsg* window = nullptr;
        bool answer = false;
    };
    std::vector<Slot> udtMsgObject;  // the slots, 0..lngMsgObjectMax
    std::int32_t lngMsgObjectMax = -1;
    std::string strMsgResPath;    // the lobby's picture folder, Msg0.ico .. Msg2.ico
    int lngDelayInterval = 1000;  // countdown tick of the windows, milliseconds

private:
    TableClient& client_;
};
