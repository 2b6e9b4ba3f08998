// The user card: a popup menu of a user's name and identity, game ID, watched player,
// "talk to" entry, title and rates, score and results. Each entry carries the user's
// name as its tag; a chosen entry is handed to the room handler's ExecUserMenu.
#pragma once
#include <QObject>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPoint;
class TableClient;

class frmUserMenu : public QObject {
    Q_OBJECT
public:
    explicit frmUserMenu(TableClient& client);
    ~frmUserMenu() override;

    // Keeps entry 0 and creates entries 1..count-1 anew; every entry gets the tag and
    // is visible. A caption "-" is a separator.
    void SetItems(const std::vector<std::string>& captions, const std::string& tag);
    // Pops the menu up at a screen position; returns at once.
    void PopupAt(const QPoint& pos);
    // Runs the chosen entry and unloads the menu (entries lose their tag).
    void mnuUserItem_Click(int index);
    void Unload();

    int ItemCount() const { return static_cast<int>(mnuUserItem.size()); }
    std::string Caption(int index) const;
    std::string Tag(int index) const;
    bool IsSeparator(int index) const;

    QMenu* mnuUser = nullptr;
    std::vector<QAction*> mnuUserItem;

private:
    TableClient& client_;
};
