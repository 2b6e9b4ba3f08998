// The settings window: five on/off options in two frames and three buttons (defaults,
// OK, cancel). Changing the spectator option tells the room server at once.
#pragma once
#include <QCheckBox>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>

class TableClient;

class frmUserSet : public QWidget {
    Q_OBJECT
public:
    explicit frmUserSet(TableClient& client, QWidget* parent = nullptr);
    void Form_Load();
    void cmdUser_Click(int index);

    std::array<QCheckBox*, 5> chkUser{};
    std::array<QPushButton*, 3> cmdUser{};

private:
    TableClient& client_;
    std::uint8_t allowWatchAtOpening_ = 1;
};
