#include "client/room/frmGameSet.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "client/TableClient.h"
#include "client/platform/MsgBox.h"
#include "client/platform/WindowTimer.h"
#include "client/start/frmMain.h"
#include "core/LeadingNumber.h"
#include "core/RoomMessages.h"
#include "core/modPublicTools.h"
#include "core/modRoomMsgDefine.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

enum SetField { kPlayers, kBase, kBaseMax, kBaseMin, kRun, kRunMax, kRunMin, kSetFieldCount };

// A key the number boxes take: digits, backspace, and keys that only move or leave.
bool IsNumberBoxKey(const QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        default:
            break;
    }
    const QString t = e->text();
    if (t.isEmpty()) return true;  // arrows, Home, End, modifier keys
    return t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('9') &&
           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
}  // namespace

frmGameSet::frmGameSet(TableClient& client, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      client_(client) {
    setWindowTitle(Q(client_.strGameCaption + " 游戏设置"));

    famGameSet = new QGroupBox(this);
    const char* labels[3] = {"本桌需要的玩家人数", "本桌游戏的底分大小", "逃跑者应扣除的积分"};
    auto* grid = new QGridLayout(famGameSet);
    for (int i = 0; i < 3; ++i) {
        labUser[i] = new QLabel(QString::fromUtf8(labels[i]), famGameSet);
        grid->addWidget(labUser[i], i, 0);
    }
    cboPlayerNum = new QComboBox(famGameSet);
    for (const char* n : {"  6", "  5", "  4", "  3", "  2"}) cboPlayerNum->addItem(QString::fromLatin1(n));
    grid->addWidget(cboPlayerNum, 0, 1);
    for (int i = 0; i < 2; ++i) {
        txtUser[i] = new QLineEdit(famGameSet);
        txtUser[i]->installEventFilter(this);
        txtUser[i]->setContextMenuPolicy(Qt::NoContextMenu);  // no pasting of other text
        txtUser[i]->setAcceptDrops(false);
        txtUser[i]->setAttribute(Qt::WA_InputMethodEnabled, false);
        grid->addWidget(txtUser[i], i + 1, 1);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        cmdUser[i] = new QPushButton(this);
        cmdUser[i]->setMinimumWidth(81);
        buttons->addWidget(cmdUser[i]);
        connect(cmdUser[i], &QPushButton::clicked, this, [this, i] { cmdUser_Click(i); });
    }
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(famGameSet);
    layout->addLayout(buttons);

    tmrDelay = new WindowTimer(this);
    tmrDelay->OnTimer = [this] { tmrDelay_Timer(); };

    // The first layout shows four players.
    cboPlayerNum->setCurrentIndex(2);
    setFixedSize(sizeHint().expandedTo(QSize(300, 170)));
}

void frmGameSet::SetInitGameSetInfo(bool master, const std::string& strAllGameSetInfo, bool& blnResult) {
    // 1-2. Who answers, and the captions that go with it.
    blnDeskMaster = master;
    famGameSet->setTitle(master ? QStringLiteral("你是桌主，请进行本桌游戏设置")
                                : QStringLiteral("桌主对本桌游戏进行的设置情况"));
    strAcceptCaption = master ? "确定" : "同意";
    cmdUser[0]->setText(Q(strAcceptCaption));
    cmdUser[1]->setText(master ? QStringLiteral("取消") : QStringLiteral("不同意"));

    // 3. Only the master edits.
    const QColor back = palette().color(QPalette::Window);
    for (QLineEdit* t : txtUser) {
        QPalette p = t->palette();
        p.setColor(QPalette::Base, master ? QColor(255, 255, 255) : back);
        t->setPalette(p);
        t->setReadOnly(!master);
    }
    QPalette p = cboPlayerNum->palette();
    p.setColor(QPalette::Base, master ? QColor(255, 255, 255) : back);
    p.setColor(QPalette::Button, master ? QColor(255, 255, 255) : back);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0, 0, 0));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0, 0, 0));
    cboPlayerNum->setPalette(p);
    cboPlayerNum->setEnabled(master);

    // 4. The seven fields.
    const auto f = modPublicTools::SplitFields(strAllGameSetInfo);
    if (f.size() != kSetFieldCount) {
        blnResult = false;
        return;
    }
    txtUser[0]->setText(Q(f[kBase]));
    txtUser[1]->setText(Q(f[kRun]));
    lngMaxBaseScore = LeadingNumber::Long(f[kBaseMax]);
    lngMinBaseScore = LeadingNumber::Long(f[kBaseMin]);
    lngMaxRunScore = LeadingNumber::Long(f[kRunMax]);
    lngMinRunScore = LeadingNumber::Long(f[kRunMin]);
    // The others see the number of players the master chose; a number the box does not
    // offer leaves the four players of the first layout. The master's box keeps the
    // first layout's four players whatever the server proposes.
    const std::int32_t players = LeadingNumber::Long(f[kPlayers]);
    if (!master && players >= 2 && players <= 6) cboPlayerNum->setCurrentIndex(6 - players);

    // 5. The countdown.
    tmrDelay->SetInterval(1000);
    tmrDelay->SetEnabled(true);
    blnResult = true;
}

void frmGameSet::tmrDelay_Timer() {
    if (unloaded_) return;
    cmdUser[0]->setText(Q(strAcceptCaption + " " + std::to_string(kDelaySeconds - lngDelayCount)));
    ++lngDelayCount;
    if (lngDelayCount > kDelaySeconds) {
        tmrDelay->SetEnabled(false);
        cmdUser_Click(0);
    }
}

std::string frmGameSet::BuildGameSetInfo() const {
    std::string players = cboPlayerNum->currentText().remove(QLatin1Char(' ')).toStdString();
    if (players.empty()) players = "4";
    return modPublicTools::JoinFields({players, txtUser[0]->text().toStdString(), std::to_string(lngMaxBaseScore),
                                       std::to_string(lngMinBaseScore), txtUser[1]->text().toStdString(),
                                       std::to_string(lngMaxRunScore), std::to_string(lngMinRunScore)});
}

bool frmGameSet::CheckGameSetInfo() {
    auto warn = [this](const std::string& text) {
        MsgBox::Show(this, text, client_.strGameCaption, MsgBox::Icon::Warning);
        return false;
    };
    if (txtUser[0]->text().size() > kMaxDigits || txtUser[1]->text().size() > kMaxDigits)
        return warn("每个输入区域的数字不能超过 7 位！");
    const std::int32_t base = LeadingNumber::Long(txtUser[0]->text().toStdString());
    if (base > lngMaxBaseScore || base < lngMinBaseScore)
        return warn("本桌底倍数的大小必须在 " + std::to_string(lngMinBaseScore) + " 和 " +
                    std::to_string(lngMaxBaseScore) + " 之间！");
    const std::int32_t run = LeadingNumber::Long(txtUser[1]->text().toStdString());
    if (run > lngMaxRunScore || run < lngMinRunScore)
        return warn("逃跑者扣分大小必须在 " + std::to_string(lngMinRunScore) + " 和 " + std::to_string(lngMaxRunScore) +
                    " 之间！");
    return true;
}

void frmGameSet::cmdUser_Click(int index) {
    if (unloaded_) return;
    tmrDelay->SetEnabled(false);
    if (index == 1) {
        Send(RoomMessages::LeaveRequest(client_.strCurUserName));
        return;
    }
    if (!blnDeskMaster) {
        Send(RoomMessages::GameSetAccept(client_.strCurUserName));
        return;
    }
    const QPointer<frmGameSet> self(this);
    if (!CheckGameSetInfo()) {
        // The dialog stays; the countdown goes on where it stood (unless the warning's
        // wait saw the dialog closed from outside).
        if (self && !unloaded_) tmrDelay->SetEnabled(true);
        return;
    }
    Send(RoomMessages::GameSetAnswer(client_.strCurUserName, BuildGameSetInfo()));
}

void frmGameSet::Send(const Bytes& cmd) {
    // A message without a text (no name yet) is not sent.
    if (cmd.size() > 2 && client_.mainForm) client_.mainForm->SendGameSetResult(cmd);
    Unload();
}

void frmGameSet::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    tmrDelay->SetEnabled(false);
    hide();
    if (OnUnload) OnUnload();
    deleteLater();
}

bool frmGameSet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == txtUser[0] || watched == txtUser[1]))
        return !IsNumberBoxKey(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void frmGameSet::closeEvent(QCloseEvent* event) {
    // The dialog is answered by its buttons or its countdown; the program's end closes it.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    event->accept();
    Unload();
}
