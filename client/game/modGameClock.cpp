#include "client/game/modGameClock.h"

#include <QPushButton>
#include <QString>

#include "client/TableClient.h"
#include "client/platform/WindowTimer.h"
#include "client/platform/ZelTimeBarCtrl.h"
#include "client/start/frmMain.h"
#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/RoomMessages.h"
#include "core/TableExit.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

namespace {
const QString kStartCaption = QStringLiteral("可以开始");
}

modGameClock::modGameClock(TableClient& client) : client_(client) {}

void modGameClock::UpdateStartButton() {
    if (!client_.mainForm) return;
    frmMain& f = *client_.mainForm;
    auto& g = client_.game;
    f.cmdStart->setGeometry(kStartLeft, kStartTop, kStartWidth, kStartHeight);
    f.cmdStart->setText(kStartCaption);
    if (g.blnIsWatcher) g.blnShowStart = false;
    f.cmdStart->setVisible(g.blnShowStart);
    if (g.blnShowStart) f.tmrStart->Tag = std::to_string(kStartCountdown);
    f.tmrStart->SetEnabled(g.blnShowStart);
}

void modGameClock::tmrStart_Timer() {
    if (!client_.mainForm) return;
    frmMain& f = *client_.mainForm;
    const auto& g = client_.game;
    // The countdown begins only once somebody at the table is ready.
    if (f.cmdStart->text() == kStartCaption) {
        bool anyReady = false;
        for (const auto& s : g.SeatUser)
            if (!modPublicTools::TrimBlanks(s.strUserName).empty() && s.blnReady) anyReady = true;
        if (!anyReady) return;
    }
    const std::int32_t n = LeadingNumber::Long(f.tmrStart->Tag) - 1;
    f.tmrStart->Tag = std::to_string(n);
    f.cmdStart->setText(kStartCaption + QStringLiteral(" ") + QString::number(n));
    if (n <= 0) {
        f.tmrStart->SetEnabled(false);
        f.Unload(TableExit::StartTimeout);  // too late: the player leaves the table
    }
}

void modGameClock::cmdStart_Click() {
    auto& g = client_.game;
    if (g.blnGameSetKnown) {
        if (g.blnIsWatcher) return;
        client_.SendMessage(GameMessages::ReadyRequest(g.bteCurUserNo));
    } else {
        // The table's settings are not known yet: ask for them first.
        client_.SendMessage(RoomMessages::GameSetAccept(client_.strCurUserName));
    }
    g.blnShowStart = false;
    UpdateStartButton();
}

void modGameClock::StartTurnClock() {
    std::int32_t seconds = kTurnSeconds;
    if (lngNaoZhongTurns >= 1) {
        seconds = kShortTurnSeconds;
        --lngNaoZhongTurns;
    }
    if (client_.mainForm) client_.mainForm->ZelTimeBar->StartTime(seconds, kWarnSeconds);
}

void modGameClock::StopTurnClock() {
    if (client_.mainForm) client_.mainForm->ZelTimeBar->StopTime();
}

void modGameClock::ZelTimeBar_OnTimeOut() {
    const auto& g = client_.game;
    if (g.blnIsWatcher) {
        StopTurnClock();
        return;
    }
    if (g.blnGameStopped || g.bteCurUserNo >= GameSize::kSeatCount) return;
    const auto& me = g.SeatUser[g.bteCurUserNo];
    if (me.blnGameOut || me.strUserName.empty()) return;
    // Only the server's time-out broadcast takes the player out.
    client_.SendMessage(GameMessages::TimeOutRequest(g.bteCurUserNo));
}

void modGameClock::ZelTimeBar_OnTick() {
    if (client_.mainForm) client_.mainForm->PlayGameSound(5);
}
