// The table settings dialog: the table's master sets the number of players, the base
// score and the points a runaway loses, within the bounds the room server gives; the
// other players see the master's settings and agree or leave. Left alone it presses its
// accept button after a 20-second countdown.
#pragma once
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Bytes.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TableClient;
class WindowTimer;

class frmGameSet : public QWidget {
    Q_OBJECT
public:
    frmGameSet(TableClient& client, QWidget* owner);

    // Prepares the dialog from the 7-field settings text; blnResult is false (and the
    // dialog unchanged) when the text does not have exactly seven fields.
    void SetInitGameSetInfo(bool blnDeskMaster, const std::string& strAllGameSetInfo, bool& blnResult);
    void tmrDelay_Timer();
    // 0 accept (the master's values are checked first), 1 refuse.
    void cmdUser_Click(int index);
    void Unload();

    // The settings as the master's dialog sends them, in the layout they came in.
    std::string BuildGameSetInfo() const;
    // Checks the master's values; shows the first failure as a warning box.
    bool CheckGameSetInfo();

    QGroupBox* famGameSet = nullptr;
    std::array<QLabel*, 3> labUser{};
    QComboBox* cboPlayerNum = nullptr;
    std::array<QLineEdit*, 2> txtUser{};    // 0 base score, 1 runaway deduction
    std::array<QPushButton*, 2> cmdUser{};  // 0 accept, 1 refuse
    WindowTimer* tmrDelay = nullptr;

    bool blnDeskMaster = false;
    std::int32_t lngMaxBaseScore = 0;
    std::int32_t lngMinBaseScore = 0;
    std::int32_t lngMaxRunScore = 0;
    std::int32_t lngMinRunScore = 0;
    std::string strAcceptCaption;
    std::int32_t lngDelayCount = 0;

    static constexpr std::int32_t kDelaySeconds = 20;
    static constexpr int kMaxDigits = 7;

    // Raised once when the dialog unloads, so its owner drops its reference.
    std::function<void()> OnUnload;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Send(const Bytes& cmd);

    TableClient& client_;
    bool unloaded_ = false;
};
