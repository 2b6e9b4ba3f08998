#include "lobby/window/LobbyWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <fstream>

#include "lobby/window/TableMap.h"

namespace {

// The computer players' levels, as the room names them and as the window says them.
constexpr std::pair<const char*, const char*> kLevels[] = {
    {"easy", "简单"}, {"normal", "普通"}, {"hard", "困难"}, {"expert", "高手"}};

constexpr char kDefaultServer[] = "127.0.0.1:47800";

// The room list's mark of the room the lobby is connected to.
constexpr int kHereRole = Qt::UserRole + 1;

}  // namespace

LobbyWindow::LobbyWindow(Setup setup)
    : setup_(std::move(setup)), runs_(std::make_unique<TableRuns>(setup_.tableProgram)) {
    setWindowTitle(QStringLiteral("tilelink 游戏大厅"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(BuildLoginBar());
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(BuildTableArea());
    split->addWidget(BuildSideArea());
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    layout->addWidget(split, 1);
    resize(980, 700);

    Recall();
    if (!setup_.server.isEmpty()) server_->setText(setup_.server);

    connect(&link_, &LobbyLink::Connected, this, [this](bool ok, const QString& roomOrError, const QString& note) {
        connected_ = ok;
        connect_->setEnabled(true);
        if (!ok) {
            SetStatus(QStringLiteral("连接失败：") + roomOrError, true);
            UpdateButtons();
            return;
        }
        Remember();
        SetStatus(QStringLiteral("已连接到 ") + (roomOrError.isEmpty() ? server_->text() : roomOrError) +
                  (note.isEmpty() ? QString() : QStringLiteral("（") + note + QStringLiteral("）")));
        UpdateButtons();
        if (setup_.guest) {
            setup_.guest = false;
            link_.Guest();
        }
    });
    connect(&link_, &LobbyLink::Lost, this, [this](const QString& why) {
        connected_ = false;
        SetStatus(QStringLiteral("连接断开：") + why, true);
        OnLists({});
        UpdateButtons();
    });
    connect(&link_, &LobbyLink::LoggedIn, this, &LobbyWindow::OnLoggedIn);
    connect(&link_, &LobbyLink::Said, this, [this](const QString& text, bool refusal) { SetStatus(text, refusal); });
    connect(&link_, &LobbyLink::Notice, this, [this](const QString& text) {
        SetStatus(text, true);
        AddChatLine(QStringLiteral("系统"), text, QColor(190, 40, 40));
    });
    connect(&link_, &LobbyLink::ListsChanged, this, &LobbyWindow::OnLists);
    connect(&link_, &LobbyLink::ChatLine, this,
            [this](const QString& from, const QString& text) { AddChatLine(from, text, QColor(30, 80, 160)); });
    connect(&link_, &LobbyLink::Seated, this, &LobbyWindow::OnSeated);
    connect(runs_.get(), &TableRuns::Placed, this, [this](int table, int seat) {
        const QString watched = watching_[table];
        SetStatus(watched.isEmpty() ? QStringLiteral("你在第 %1 桌第 %2 个座位。").arg(table).arg(seat + 1)
                                    : QStringLiteral("你在第 %1 桌旁观 %2。").arg(table).arg(watched));
    });
    connect(runs_.get(), &TableRuns::Ended, this, &LobbyWindow::OnTableEnded);
    UpdateButtons();
}

LobbyWindow::~LobbyWindow() = default;

QWidget* LobbyWindow::BuildLoginBar() {
    auto* bar = new QWidget;
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    first->addWidget(new QLabel(QStringLiteral("服务器")));
    server_ = new QLineEdit;
    server_->setPlaceholderText(QStringLiteral("主机:端口"));
    server_->setMinimumWidth(200);
    first->addWidget(server_);
    connect_ = new QPushButton(QStringLiteral("连接"));
    first->addWidget(connect_);
    status_ = new QLabel;
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    first->addWidget(status_, 1);
    rows->addLayout(first);

    auto* second = new QHBoxLayout;
    second->addWidget(new QLabel(QStringLiteral("名字")));
    name_ = new QLineEdit;
    name_->setMaxLength(32);
    second->addWidget(name_);
    second->addWidget(new QLabel(QStringLiteral("密码")));
    password_ = new QLineEdit;
    password_->setEchoMode(QLineEdit::Password);
    second->addWidget(password_);
    logIn_ = new QPushButton(QStringLiteral("登录"));
    register_ = new QPushButton(QStringLiteral("注册"));
    guest_ = new QPushButton(QStringLiteral("游客进入"));
    logOut_ = new QPushButton(QStringLiteral("退出登录"));
    for (auto* b : {logIn_, register_, guest_, logOut_}) second->addWidget(b);
    second->addStretch(1);
    rows->addLayout(second);

    connect(connect_, &QPushButton::clicked, this, &LobbyWindow::ConnectToServer);
    connect(server_, &QLineEdit::returnPressed, this, &LobbyWindow::ConnectToServer);
    auto credentials = [this](bool registering) {
        const QString name = name_->text().trimmed();
        const QByteArray password = password_->text().toUtf8();
        if (name.isEmpty() || password.isEmpty()) {
            SetStatus(QStringLiteral("请填写名字和密码。"), true);
            return;
        }
        if (registering) link_.Register(name, password);
        else link_.LogIn(name, password);
        Remember();
    };
    connect(logIn_, &QPushButton::clicked, this, [credentials] { credentials(false); });
    connect(password_, &QLineEdit::returnPressed, this, [credentials] { credentials(false); });
    connect(register_, &QPushButton::clicked, this, [credentials] { credentials(true); });
    connect(guest_, &QPushButton::clicked, this, [this] { link_.Guest(); });
    connect(logOut_, &QPushButton::clicked, this, [this] { link_.LogOut(); });
    return bar;
}

QWidget* LobbyWindow::BuildTableArea() {
    auto* area = new QGroupBox(QStringLiteral("桌子（点空座位坐下，点有人的座位旁观）"));
    auto* layout = new QVBoxLayout(area);
    auto* roomBar = new QHBoxLayout;
    roomBar->addWidget(new QLabel(QStringLiteral("房间")));
    rooms_ = new QComboBox;
    rooms_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    rooms_->setToolTip(QStringLiteral("同一个数据库上的房间；选另一个房间就转到那里"));
    roomBar->addWidget(rooms_);
    roomBar->addStretch(1);
    layout->addLayout(roomBar);
    connect(rooms_, &QComboBox::activated, this, &LobbyWindow::SwitchRoom);
    tables_ = new TableMap;
    auto* scroll = new QScrollArea;
    scroll->setWidget(tables_);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(scroll, 1);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("电脑玩家")));
    computers_ = new QSpinBox;
    computers_->setRange(1, LobbyMessages::kSeats - 1);
    computers_->setValue(LobbyMessages::kSeats - 1);
    bar->addWidget(computers_);
    bar->addWidget(new QLabel(QStringLiteral("水平")));
    level_ = new QComboBox;
    for (const auto& [key, text] : kLevels) level_->addItem(QString::fromUtf8(text), QString::fromLatin1(key));
    level_->setCurrentIndex(std::max(0, level_->findData(setup_.level)));
    bar->addWidget(level_);
    playComputers_ = new QPushButton(QStringLiteral("和电脑玩"));
    playComputers_->setDefault(true);
    bar->addWidget(playComputers_);
    bar->addStretch(1);
    watch_ = new QPushButton(QStringLiteral("旁观"));
    watch_->setToolTip(QStringLiteral("旁观用户列表里选中的玩家"));
    bar->addWidget(watch_);
    layout->addLayout(bar);

    connect(tables_, &TableMap::SitAt, this, [this](int table) {
        if (runs_->Running(table)) return SetStatus(QStringLiteral("第 %1 桌的窗口已经打开了。").arg(table), true);
        link_.Sit(table);
    });
    connect(tables_, &TableMap::WatchPlayer, this, [this](const QString& name) { link_.Watch(name); });
    connect(playComputers_, &QPushButton::clicked, this,
            [this] { link_.OpenTable(computers_->value(), level_->currentData().toString()); });
    connect(watch_, &QPushButton::clicked, this, &LobbyWindow::WatchSelected);
    return area;
}

QWidget* LobbyWindow::BuildSideArea() {
    auto* side = new QWidget;
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* people = new QGroupBox(QStringLiteral("用户"));
    auto* peopleLayout = new QVBoxLayout(people);
    users_ = new QTreeWidget;
    users_->setColumnCount(3);
    users_->setHeaderLabels({QStringLiteral("名字"), QStringLiteral("积分"), QStringLiteral("头衔")});
    users_->setRootIsDecorated(false);
    users_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    users_->setSortingEnabled(true);
    users_->sortByColumn(1, Qt::DescendingOrder);
    users_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    users_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    users_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(users_, &QTreeWidget::itemDoubleClicked, this, [this] { WatchSelected(); });
    peopleLayout->addWidget(users_);
    layout->addWidget(people, 1);

    auto* chat = new QGroupBox(QStringLiteral("聊天"));
    auto* chatLayout = new QVBoxLayout(chat);
    chatView_ = new QTextBrowser;
    chatLayout->addWidget(chatView_, 1);
    auto* line = new QHBoxLayout;
    chatInput_ = new QLineEdit;
    chatInput_->setMaxLength(static_cast<int>(LobbyMessages::kMaxChat / 3));
    chatInput_->setPlaceholderText(QStringLiteral("说点什么……"));
    send_ = new QPushButton(QStringLiteral("发送"));
    line->addWidget(chatInput_, 1);
    line->addWidget(send_);
    chatLayout->addLayout(line);
    layout->addWidget(chat, 1);

    auto say = [this] {
        const QString text = chatInput_->text().trimmed();
        if (text.isEmpty()) return;
        if (!LobbyMessages::CleanText(text.toStdString(), LobbyMessages::kMaxChat))
            return SetStatus(QStringLiteral("这句话不能发送。"), true);
        link_.Chat(text);
        chatInput_->clear();
    };
    connect(send_, &QPushButton::clicked, this, say);
    connect(chatInput_, &QLineEdit::returnPressed, this, say);
    side->setMinimumWidth(260);
    return side;
}

void LobbyWindow::ConnectToServer() {
    if (server_->text().trimmed().isEmpty()) server_->setText(QString::fromLatin1(kDefaultServer));
    connect_->setEnabled(false);
    connected_ = false;
    UpdateButtons();
    SetStatus(QStringLiteral("正在连接 ") + server_->text().trimmed() + QStringLiteral("……"));
    link_.ConnectTo(server_->text());
}

void LobbyWindow::Remember() const {
    if (setup_.settingsFile.empty()) return;
    std::ofstream out(setup_.settingsFile, std::ios::trunc);
    const std::string server = setup_.rememberServer ? server_->text().trimmed().toStdString() : recalledServer_;
    if (!server.empty()) out << "server " << server << "\n";
    if (!name_->text().trimmed().isEmpty()) out << "name " << name_->text().trimmed().toStdString() << "\n";
}

void LobbyWindow::Recall() {
    server_->setText(QString::fromLatin1(kDefaultServer));
    std::ifstream in(setup_.settingsFile);
    std::string key, value;
    while (in >> key && std::getline(in >> std::ws, value)) {
        if (key == "server") {
            recalledServer_ = value;
            server_->setText(QString::fromStdString(value));
        }
        if (key == "name") name_->setText(QString::fromStdString(value));
    }
}

void LobbyWindow::SetStatus(const QString& text, bool refusal) {
    status_->setStyleSheet(refusal ? "color: rgb(190, 30, 30);" : "color: rgb(30, 90, 40);");
    status_->setText(text);
}

void LobbyWindow::OnLoggedIn(const QString& name, bool guest) {
    me_ = name;
    if (!name.isEmpty()) enteredAsGuest_ = guest;
    tables_->SetMe(name);
    if (!name.isEmpty())
        SetStatus((guest ? QStringLiteral("以游客身份进入：") : QStringLiteral("已登录：")) + name +
                  QStringLiteral("。点空座位坐下，或者点“和电脑玩”。"));
    else if (connected_) SetStatus(QStringLiteral("已连接。请登录、注册，或者以游客身份进入。"));
    password_->clear();
    UpdateButtons();
}

void LobbyWindow::OnLists(const LobbyLists& lists) {
    tables_->SetTables(lists.tables);
    ShowRooms(lists.rooms);
    const QString selected = users_->currentItem() ? users_->currentItem()->text(0) : QString();
    users_->setSortingEnabled(false);
    users_->clear();
    for (const auto& u : lists.users) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::fromStdString(u.name));
        item->setToolTip(0, item->text(0));
        item->setData(1, Qt::DisplayRole, static_cast<qlonglong>(u.points));
        item->setText(2, QString::fromStdString(u.title));
        if (item->text(0) == me_) item->setForeground(0, QColor(190, 30, 30));
        users_->addTopLevelItem(item);
        if (item->text(0) == selected) users_->setCurrentItem(item);
    }
    users_->setSortingEnabled(true);
}

void LobbyWindow::ShowRooms(const std::vector<LobbyMessages::RoomView>& rooms) {
    const QSignalBlocker quiet(rooms_);
    rooms_->clear();
    for (const auto& r : rooms) {
        const QString address = QString::fromStdString(r.address);
        rooms_->addItem(
            QStringLiteral("%1（%2 桌，%3 人）").arg(QString::fromStdString(r.name)).arg(r.tables).arg(r.players),
            address);
        rooms_->setItemData(rooms_->count() - 1, QStringLiteral("%1 · %2").arg(QString::fromStdString(r.id), address),
                            Qt::ToolTipRole);
        rooms_->setItemData(rooms_->count() - 1, r.here, kHereRole);
        if (r.here) rooms_->setCurrentIndex(rooms_->count() - 1);
    }
    rooms_->setEnabled(rooms_->count() > 1);
}

void LobbyWindow::SwitchRoom(int index) {
    const QString address = rooms_->itemData(index).toString();
    if (address.isEmpty() || rooms_->itemData(index, kHereRole).toBool()) return;
    // The same way in as here: a guest comes in as a guest again, an account logs in again
    // (its password is never kept).
    setup_.guest = !me_.isEmpty() && enteredAsGuest_;
    server_->setText(address);
    ConnectToServer();
}

void LobbyWindow::OnSeated(const LaunchPlan::Request& r) {
    if (!runs_->Start(r)) return SetStatus(QStringLiteral("第 %1 桌的窗口已经打开了。").arg(r.table), true);
    watching_[r.table] = QString::fromStdString(r.watch);
    SetStatus(r.watch.empty()
                  ? QStringLiteral("正在打开第 %1 桌……").arg(r.table)
                  : QStringLiteral("正在打开第 %1 桌，旁观 %2……").arg(r.table).arg(QString::fromStdString(r.watch)));
}

void LobbyWindow::OnTableEnded(int table, int, const QString& why) {
    watching_.erase(table);
    SetStatus(why.isEmpty() ? QStringLiteral("第 %1 桌的窗口关上了。").arg(table)
                            : QStringLiteral("第 %1 桌的窗口关上了：%2").arg(table).arg(why),
              !why.isEmpty());
    // The lobby comes to the front again, with the lists as the room has them now.
    showNormal();
    raise();
    activateWindow();
}

void LobbyWindow::closeEvent(QCloseEvent* e) {
    if (runs_->Count() > 0 &&
        QMessageBox::question(
            this, windowTitle(),
            QStringLiteral("还有 %1 个游戏窗口开着，关闭大厅也会关上它们。要关闭吗？").arg(runs_->Count())) !=
            QMessageBox::Yes) {
        e->ignore();
        return;
    }
    e->accept();
}

void LobbyWindow::WatchSelected() {
    const auto* item = users_->currentItem();
    if (!item) return SetStatus(QStringLiteral("先在用户列表里选一个正在玩的人。"), true);
    if (item->text(0) == me_) return SetStatus(QStringLiteral("不能旁观自己。"), true);
    link_.Watch(item->text(0));
}

void LobbyWindow::AddChatLine(const QString& from, const QString& text, const QColor& colour) {
    chatView_->append(QStringLiteral("<span style=\"color:%1\">%2：</span>%3")
                          .arg(colour.name(), from.toHtmlEscaped(), text.toHtmlEscaped()));
}

void LobbyWindow::UpdateButtons() {
    const bool in = connected_ && !me_.isEmpty();
    for (auto* b : {logIn_, register_, guest_}) b->setEnabled(connected_ && me_.isEmpty());
    name_->setEnabled(connected_ && me_.isEmpty());
    password_->setEnabled(connected_ && me_.isEmpty());
    logOut_->setEnabled(in);
    playComputers_->setEnabled(in);
    watch_->setEnabled(in);
    tables_->setEnabled(in);
    send_->setEnabled(in);
    chatInput_->setEnabled(in);
}
