// The user list: one row per user of the table (players and spectators), built from
// the 16-field user records, with the column headers and widths the main window gives.
#pragma once
#include <QWidget>
#include <functional>
#include <string>

class FrmZelListGm : public QWidget {
    Q_OBJECT
public:
    explicit FrmZelListGm(QWidget* parent = nullptr);

    void SetLocalUser(const std::string& name);
    void SetColors(std::uint32_t back, std::uint32_t fore);
    int NumericOption = 0;
    void SetTitle(const std::string& title);
    void SetScoreCaption(const std::string& caption);
    void SetColumnHeaders(const std::string& headers, int columnCount);
    void SetColumnWidths(const std::string& widths);
    void SetTitleTable(const std::string& table);
    bool BoolOption = false;

    void ClearList();
    void LoadList(const std::string& listText);  // raises OnListLoaded afterwards
    void AddUser(const std::string& record);
    void RemoveUser(const std::string& name);
    void UpdateUser(const std::string& update);
    std::string GetUser(const std::string& name) const;  // empty when not listed

    std::function<void(const std::string&)> OnListLoaded;  // names joined by backquotes
    std::function<void(bool, const std::string&, const std::string&)> OnUserClicked;  // context, name, record
};
