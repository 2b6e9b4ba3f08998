// The lobby window: the room server's address (remembered), log in, register or play as a
// guest; the room's tables drawn with their seats; the users with points and titles; the
// room's chat; "和电脑玩" (a new table with computer players, you its master) and "旁观".
// Above the tables, the live rooms of the room's shared database: choosing another one
// connects the lobby there (a guest enters again as a guest, an account logs in again).
// A seat the room gives starts the table window; when it closes, the lobby comes back.
#pragma once
#include <QWidget>
#include <filesystem>
#include <map>
#include <memory>

#include "lobby/window/LobbyLink.h"
#include "lobby/window/TableRuns.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTextBrowser;
class QTreeWidget;
class TableMap;

class LobbyWindow : public QWidget {
    Q_OBJECT
public:
    struct Setup {
        std::filesystem::path tableProgram;  // tilelink-table
        std::filesystem::path settingsFile;  // where the address and name are remembered
        QString server;                      // empty: the remembered one
        bool guest = false;                  // log in as a guest once connected
        bool rememberServer = true;          // false for a room whose address is not kept
        QString level = "normal";            // the computer players' level chosen at first
    };
    explicit LobbyWindow(Setup setup);
    ~LobbyWindow() override;

    // The parts a test (or a script) reaches.
    TableMap* Tables() const { return tables_; }
    QLineEdit* ServerField() const { return server_; }
    QLineEdit* NameField() const { return name_; }
    QLineEdit* PasswordField() const { return password_; }
    QTreeWidget* Users() const { return users_; }
    QTextBrowser* ChatView() const { return chatView_; }
    QLineEdit* ChatInput() const { return chatInput_; }
    QPushButton* PlayComputers() const { return playComputers_; }
    QPushButton* GuestButton() const { return guest_; }
    QComboBox* RoomChoice() const { return rooms_; }
    QLabel* Status() const { return status_; }
    const QString& Me() const { return me_; }
    TableRuns& Runs() const { return *runs_; }

    void ConnectToServer();

protected:
    // With table windows open, asks first: they close with the lobby.
    void closeEvent(QCloseEvent* e) override;

private:
    QWidget* BuildLoginBar();
    QWidget* BuildTableArea();
    QWidget* BuildSideArea();
    void Remember() const;
    void Recall();
    void SetStatus(const QString& text, bool refusal = false);
    void OnLoggedIn(const QString& name, bool guest);
    void OnLists(const LobbyLists& lists);
    void ShowRooms(const std::vector<LobbyMessages::RoomView>& rooms);
    // Connects the lobby to the room at that index of the room list.
    void SwitchRoom(int index);
    void OnSeated(const LaunchPlan::Request& r);
    void OnTableEnded(int table, int status, const QString& why);
    void WatchSelected();
    void AddChatLine(const QString& from, const QString& text, const QColor& colour);
    void UpdateButtons();

    Setup setup_;
    LobbyLink link_;
    std::unique_ptr<TableRuns> runs_;
    bool connected_ = false;
    QString me_;
    bool enteredAsGuest_ = false;  // the lobby's user entered as a guest
    std::string recalledServer_;
    std::map<int, QString> watching_;  // table -> the player watched there (empty: playing)

    QLineEdit* server_ = nullptr;
    QPushButton* connect_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* logIn_ = nullptr;
    QPushButton* register_ = nullptr;
    QPushButton* guest_ = nullptr;
    QPushButton* logOut_ = nullptr;
    QLabel* status_ = nullptr;
    QComboBox* rooms_ = nullptr;
    TableMap* tables_ = nullptr;
    QSpinBox* computers_ = nullptr;
    QComboBox* level_ = nullptr;
    QPushButton* playComputers_ = nullptr;
    QPushButton* watch_ = nullptr;
    QTreeWidget* users_ = nullptr;
    QTextBrowser* chatView_ = nullptr;
    QLineEdit* chatInput_ = nullptr;
    QPushButton* send_ = nullptr;
};
