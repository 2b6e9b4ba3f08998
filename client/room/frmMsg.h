// The message window: a notice without buttons (type 0), a notice with one button
// (type 1) or a question with two (type 2), always on top, with its icon, an etched line
// over the buttons, and a countdown that gives the default answer when nobody answers.
// Its slot in the message-window pool keeps the answer after it has closed.
#pragma once
#include <QDialog>
#include <QImage>
#include <array>
#include <cstdint>
#include <string>

class QLabel;
class QPushButton;
class WindowTimer;
class modGlobalMsgObject;

class frmMsg : public QDialog {
    Q_OBJECT
public:
    frmMsg(modGlobalMsgObject& pool, QWidget* owner);
    // The pool goes away before its windows (program end): the window stops reporting.
    void DetachFromPool() { pool_ = nullptr; }
    ~frmMsg() override;

    void SetMsgInfo(std::uint8_t bteMsgType, const std::string& strNote, const std::string& strCaption,
                    const std::string& strYesCmdCaption, const std::string& strNoCmdCaption,
                    std::int32_t lngMaxDelayTime, bool blnYesDefault);

    // Sizes, centres and lays the window out for its type and loads its icon; the
    // countdown of types 1 and 2 starts here.
    void Form_Load();
    void tmrDelay_Timer();
    // Button 0 answers yes, button 1 no; the window unloads.
    void cmdUser_Click(int index);
    // Closes the window and empties its slot; blnAnswered says whether a button gave the
    // answer (a window closed from outside leaves the slot's answer as it is).
    void Unload(bool blnAnswered = false, bool blnAnswer = false);
    // Escape: a question answers no, a one-button notice presses its button.
    void reject() override;

    std::int32_t lngRoomObjectIdx = 0;
    std::int32_t lngMsgObjectIdx = 0;

    std::uint8_t bteMsgType = 0;
    std::string strNote;
    std::string strCaption;
    std::string strYesCmdCaption;
    std::string strNoCmdCaption;
    std::int32_t lngMaxDelayTime = 0;
    bool blnYesDefault = true;

    QLabel* labNote = nullptr;
    std::array<QPushButton*, 2> cmdUser{};
    WindowTimer* tmrDelay = nullptr;
    QImage imgIcon;  // Msg<type>.ico of the lobby's picture folder; null when missing

    // The window's size for its type: the window system's measure of the original
    // layout at 15 units a pixel (frame included for types 1 and 2).
    static QSize WindowSize(std::uint8_t bteMsgType);
    // The inner area the controls are laid out in.
    static QSize InnerSize(std::uint8_t bteMsgType);
    // Where the etched line is drawn (row of its white half), for types 1 and 2.
    int EtchedLineTop() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void closeEvent(QCloseEvent*) override;

private:
    int DefaultButton() const;

    modGlobalMsgObject* pool_;
    bool unloaded_ = false;
};
