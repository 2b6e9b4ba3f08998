// The user list shows nothing yet (placeholder until the list is written).
#include "client/platform/FrmZelListGm.h"

FrmZelListGm::FrmZelListGm(QWidget* parent) : QWidget(parent) {}
void FrmZelListGm::SetLocalUser(const std::string&) {}
void FrmZelListGm::SetColors(std::uint32_t, std::uint32_t) {}
void FrmZelListGm::SetTitle(const std::string&) {}
void FrmZelListGm::SetScoreCaption(const std::string&) {}
void FrmZelListGm::SetColumnHeaders(const std::string&, int) {}
void FrmZelListGm::SetColumnWidths(const std::string&) {}
void FrmZelListGm::SetTitleTable(const std::string&) {}
void FrmZelListGm::ClearList() {}
void FrmZelListGm::LoadList(const std::string&) {}
void FrmZelListGm::AddUser(const std::string&) {}
void FrmZelListGm::RemoveUser(const std::string&) {}
void FrmZelListGm::UpdateUser(const std::string&) {}
std::string FrmZelListGm::GetUser(const std::string&) const { return {}; }
