// The chat panel: a history of notices, broadcasts and chat lines, and an input line
// with the addressee box. It composes outgoing lines itself and hands them over as the
// ten chat fields.
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <string>

class ZelChatCtrl : public QWidget {
    Q_OBJECT
public:
    explicit ZelChatCtrl(QWidget* parent = nullptr);

    std::string FacePath;
    std::string AppPath;
    std::string PageFile;
    std::string RoomTitle;
    bool Option1 = false;
    bool Option2 = false;

    void SetCurUserName(const std::string& name);
    const std::string& CurUserName() const { return curUserName_; }
    void SetTalkTo(const std::string& name);
    const std::string& TalkTo() const { return talkTo_; }

    void InitChat();
    void ChangeUser(const std::string& op, const std::string& name);  // "ADD" or "DEL"
    void ClearUsers();
    void ShowNotice(const std::string& text);
    void ShowBroadcast(const std::string& text);
    void ShowChatMsg(const std::array<std::string, 8>& fields);

    std::function<void(const std::array<std::string, 10>&)> OnSendChat;

private:
    std::string curUserName_;
    std::string talkTo_;
};
