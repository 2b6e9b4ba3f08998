#include "client/room/frmUserMenu.h"

#include <QAction>
#include <QMenu>

#include "client/TableClient.h"
#include "client/room/modRoomMsg.h"

namespace {
// Menus read '&' as a mnemonic mark; names show it as it is.
QString MenuText(const std::string& caption) {
    return QString::fromStdString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}
}  // namespace

frmUserMenu::frmUserMenu(TableClient& client) : QObject(nullptr), client_(client) {
    mnuUser = new QMenu;  // a top-level popup of its own
    mnuUserItem.push_back(mnuUser->addAction(QString()));
    connect(mnuUserItem[0], &QAction::triggered, this, [this] { mnuUserItem_Click(0); });
}

frmUserMenu::~frmUserMenu() { delete mnuUser; }

void frmUserMenu::SetItems(const std::vector<std::string>& captions, const std::string& tag) {
    while (mnuUserItem.size() > 1) {
        QAction* a = mnuUserItem.back();
        mnuUserItem.pop_back();
        mnuUser->removeAction(a);
        a->deleteLater();
    }
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (i > 0) {
            QAction* a = mnuUser->addAction(QString());
            const int index = static_cast<int>(i);
            connect(a, &QAction::triggered, this, [this, index] { mnuUserItem_Click(index); });
            mnuUserItem.push_back(a);
        }
        QAction* a = mnuUserItem[i];
        a->setSeparator(captions[i] == "-");
        a->setText(MenuText(captions[i]));
        a->setData(QString::fromStdString(tag));
        a->setVisible(true);
    }
}

void frmUserMenu::PopupAt(const QPoint& pos) { mnuUser->popup(pos); }

void frmUserMenu::mnuUserItem_Click(int index) {
    client_.roomMsg->ExecUserMenu(index);
    Unload();
}

void frmUserMenu::Unload() {
    mnuUser->hide();
    for (QAction* a : mnuUserItem) a->setData(QString());
}

std::string frmUserMenu::Caption(int index) const {
    if (index < 0 || index >= ItemCount()) return {};
    return mnuUserItem[index]->text().replace(QStringLiteral("&&"), QStringLiteral("&")).toStdString();
}

std::string frmUserMenu::Tag(int index) const {
    if (index < 0 || index >= ItemCount()) return {};
    return mnuUserItem[index]->data().toString().toStdString();
}

bool frmUserMenu::IsSeparator(int index) const {
    return index >= 0 && index < ItemCount() && mnuUserItem[index]->isSeparator();
}
