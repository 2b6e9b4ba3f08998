// The chat panel: a history of notices, broadcasts and chat lines (bounded, the oldest
// lines go first), and below it the addressee box ("所有人" and the users of the table),
// the whisper switch and the input line. It composes outgoing lines itself and hands
// them over as the ten chat fields.
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTextBrowser;

class ZelChatCtrl : public QWidget {
    Q_OBJECT
public:
    explicit ZelChatCtrl(QWidget* parent = nullptr);

    std::string FacePath;
    std::string AppPath;
    std::string PageFile;
    std::string RoomTitle;  // shown in the panel's title strip
    bool Option1 = false;
    bool Option2 = false;

    void SetCurUserName(const std::string& name);
    const std::string& CurUserName() const { return curUserName_; }
    // The addressee: a user's name, or "所有人" (also for an empty name).
    void SetTalkTo(const std::string& name);
    const std::string& TalkTo() const { return talkTo_; }

    void InitChat();
    void ChangeUser(const std::string& op, const std::string& name);  // "ADD" or "DEL"
    void ClearUsers();
    void ShowNotice(const std::string& text);
    void ShowBroadcast(const std::string& text);
    // Fields 2..9 of a relayed chat line: sender, addressee, time, colour, face, style,
    // text, reserved.
    void ShowChatMsg(const std::array<std::string, 8>& fields);

    std::function<void(const std::array<std::string, 10>&)> OnSendChat;

    static constexpr int kMaxHistoryLines = 300;
    // The history as shown, oldest line first.
    std::vector<std::string> HistoryLines() const;
    // The names of the addressee box, "所有人" first.
    std::vector<std::string> Addressees() const;
    // Sends what the input line holds (Enter or the send button) and empties it.
    void SendInput();
    // A typed text as it may travel: backquotes replaced, at most the chat length.
    static std::string CleanChatText(const std::string& text);

    QTextBrowser* txtHistory = nullptr;
    QComboBox* cboTalkTo = nullptr;
    QCheckBox* chkPrivate = nullptr;
    QLineEdit* txtInput = nullptr;
    QPushButton* cmdSend = nullptr;
    std::uint32_t lngTextColor = 0;  // the colour of the own lines, 0xRRGGBB

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void AppendLine(const QString& html);

    std::string curUserName_;
    std::string talkTo_ = "所有人";
};
