#include "client/start/frmUserSet.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "client/TableClient.h"
#include "client/start/modUserSet.h"
#include "core/RoomMessages.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

frmUserSet::frmUserSet(TableClient& client, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), client_(client) {
    setWindowTitle(QStringLiteral("用户设置"));
    setAttribute(Qt::WA_DeleteOnClose);
    const char* captions[5] = {"允许旁观者看我的牌", "启用音效", "显示用户进出消息", "强退时给出提示",
                               "出牌不对时给出提示"};
    auto* basic = new QGroupBox(QStringLiteral("基本设置"), this);
    auto* prompt = new QGroupBox(QStringLiteral("提示设置"), this);
    auto* basicLayout = new QVBoxLayout(basic);
    auto* promptLayout = new QVBoxLayout(prompt);
    for (int i = 0; i < 5; ++i) {
        chkUser[i] = new QCheckBox(QString::fromUtf8(captions[i]), i < 3 ? basic : prompt);
        (i < 3 ? basicLayout : promptLayout)->addWidget(chkUser[i]);
    }
    const char* buttons[3] = {"默认值(&D)", "确定(&Y)", "取消(&C)"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        cmdUser[i] = new QPushButton(QString::fromUtf8(buttons[i]), this);
        row->addWidget(cmdUser[i]);
        connect(cmdUser[i], &QPushButton::clicked, this, [this, i] { cmdUser_Click(i); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(basic);
    layout->addWidget(prompt);
    layout->addLayout(row);
    Form_Load();
}

void frmUserSet::Form_Load() {
    const std::uint8_t values[5] = {client_.bteAllowWatch, client_.bteSoundOn, client_.bteShowInOut,
                                    client_.bteQuitPrompt, client_.bteWrongPrompt};
    for (int i = 0; i < 5; ++i) chkUser[i]->setChecked(values[i] != 0);
    allowWatchAtOpening_ = client_.bteAllowWatch;
}

void frmUserSet::cmdUser_Click(int index) {
    if (index == 0) {
        for (auto* c : chkUser) c->setChecked(true);
        return;
    }
    if (index == 1) {
        auto on = [this](int i) -> std::uint8_t { return chkUser[i]->isChecked() ? 1 : 0; };
        client_.bteAllowWatch = on(0);
        client_.bteSoundOn = on(1);
        client_.bteShowInOut = on(2);
        client_.bteQuitPrompt = on(3);
        client_.bteWrongPrompt = on(4);
        client_.userSet->SaveUserSet();
        if (client_.bteAllowWatch != allowWatchAtOpening_) {
            client_.SendMessage(RoomMessages::WatchChange(client_.strCurUserName, client_.bteAllowWatch != 0));
        }
    }
    close();
}
