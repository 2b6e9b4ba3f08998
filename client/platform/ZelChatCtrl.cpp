// The chat panel shows nothing yet (placeholder until the panel is written).
#include "client/platform/ZelChatCtrl.h"

ZelChatCtrl::ZelChatCtrl(QWidget* parent) : QWidget(parent) {}
void ZelChatCtrl::SetCurUserName(const std::string& name) { curUserName_ = name; }
void ZelChatCtrl::SetTalkTo(const std::string& name) { talkTo_ = name; }
void ZelChatCtrl::InitChat() {}
void ZelChatCtrl::ChangeUser(const std::string&, const std::string&) {}
void ZelChatCtrl::ClearUsers() {}
void ZelChatCtrl::ShowNotice(const std::string&) {}
void ZelChatCtrl::ShowBroadcast(const std::string&) {}
void ZelChatCtrl::ShowChatMsg(const std::array<std::string, 8>&) {}
