// The user list: one row per user of the table (players and spectators), built from
// the 16-field user records, with the column headers and widths the main window gives,
// the level column shown as the title its owner gives for the level, the local user in bold, and
// sorting by a click on a column header. A click on a row names the user; a right
// click is the context click for the user card.
#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QHeaderView;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class FrmZelListGm : public QWidget {
    Q_OBJECT
public:
    explicit FrmZelListGm(QWidget* parent = nullptr);

    void SetLocalUser(const std::string& name);
    const std::string& LocalUser() const { return localUser_; }
    // The title strip and column header colour, and the rows' background, 0x00BBGGRR.
    void SetColors(std::uint32_t back, std::uint32_t fore);
    int NumericOption = 0;
    void SetTitle(const std::string& title);
    void SetScoreCaption(const std::string& caption);
    // The 16 header names joined by backquotes; the first columnCount are shown.
    void SetColumnHeaders(const std::string& headers, int columnCount);
    void SetColumnWidths(const std::string& widths);
    // The title shown for a level value in the level column; without one (an empty
    // function) the column shows the number.
    void SetLevelTitles(std::function<std::string(std::int32_t)> titleOfLevel);
    bool BoolOption = false;

    void ClearList();
    // The whole list of room message 130/2, one record a line; records without 16
    // fields and repeated names are passed over. Raises OnListLoaded afterwards.
    void LoadList(const std::string& listText);
    // Adds one record (16 fields); a record of a listed user replaces that user's row.
    void AddUser(const std::string& record);
    void RemoveUser(const std::string& name);
    // The 9-field update of room message 108/6; other texts change nothing.
    void UpdateUser(const std::string& update);
    std::string GetUser(const std::string& name) const;  // empty when not listed

    std::function<void(const std::string&)> OnListLoaded;                             // names joined by backquotes
    std::function<void(bool, const std::string&, const std::string&)> OnUserClicked;  // context, name, record

    // What the list shows: the user names row by row, and a cell's text.
    std::vector<std::string> RowNames() const;
    std::string CellText(const std::string& name, int column) const;
    bool IsMarkedLocal(const std::string& name) const;
    // Sorts by a column as a click on its header does (a second click reverses).
    void SortByColumn(int column);
    QTreeWidget* Tree() const { return lstView_; }

private:
    // Out of sight, the header takes columns and widths without telling the view (a
    // blocker on what this returns): the view lays itself out once when it is shown, not
    // on a timer of its own that measures every header text in a bold font beforehand.
    // nullptr while the list is in sight.
    QHeaderView* QuietHeader() const;
    QTreeWidgetItem* FindRow(const std::string& name) const;
    void FillRow(QTreeWidgetItem* row, const std::string& record);
    void MarkRow(QTreeWidgetItem* row);
    // Widens the name column when the row's name would not fit in it.
    void FitNameColumn(const QTreeWidgetItem* row);
    void Resort();
    void RaiseClicked(QTreeWidgetItem* row, bool context);

    QLabel* labTitle_ = nullptr;
    QTreeWidget* lstView_ = nullptr;
    std::string localUser_;
    std::string scoreCaption_;
    std::function<std::string(std::int32_t)> titleOfLevel_;
    int sortColumn_ = -1;
    bool sortDescending_ = false;
};
