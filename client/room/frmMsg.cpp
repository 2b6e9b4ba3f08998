#include "client/room/frmMsg.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "client/platform/WindowTimer.h"
#include "client/room/modGlobalMsgObject.h"

namespace {
// The original window measures, 15 units a pixel.
constexpr int kTwipsPerPixel = 15;
// The frame a captioned dialog gets from the window system: borders and caption.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 25;
// The buttons keep their own size.
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 6;

QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

frmMsg::frmMsg(modGlobalMsgObject& pool, QWidget* owner) : QDialog(owner), pool_(&pool) {
    labNote = new QLabel(this);
    labNote->setWordWrap(true);
    labNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    labNote->setTextFormat(Qt::PlainText);
    for (int i = 0; i < 2; ++i) {
        cmdUser[i] = new QPushButton(this);
        cmdUser[i]->setFixedSize(kButtonWidth, kButtonHeight);
        cmdUser[i]->hide();
        connect(cmdUser[i], &QPushButton::clicked, this, [this, i] { cmdUser_Click(i); });
    }
    tmrDelay = new WindowTimer(this);
    tmrDelay->OnTimer = [this] { tmrDelay_Timer(); };
}

frmMsg::~frmMsg() {
    if (pool_ && !unloaded_) pool_->ReleaseSlot(this, false, false);
}

void frmMsg::SetMsgInfo(std::uint8_t type, const std::string& note, const std::string& caption,
                        const std::string& yesCaption, const std::string& noCaption, std::int32_t maxDelayTime,
                        bool yesDefault) {
    bteMsgType = type;
    strNote = note;
    strCaption = caption;
    strYesCmdCaption = yesCaption;
    strNoCmdCaption = noCaption;
    lngMaxDelayTime = maxDelayTime;
    blnYesDefault = yesDefault;
}

QSize frmMsg::WindowSize(std::uint8_t type) {
    return type == 0 ? QSize(5960 / kTwipsPerPixel, 1030 / kTwipsPerPixel)
                     : QSize(5525 / kTwipsPerPixel, 2165 / kTwipsPerPixel);
}

QSize frmMsg::InnerSize(std::uint8_t type) {
    // A notice without buttons has no caption: the window is all inner area.
    const QSize outer = WindowSize(type);
    return type == 0 ? outer : QSize(outer.width() - kFrameWidth, outer.height() - kFrameHeight);
}

int frmMsg::DefaultButton() const { return bteMsgType == 2 && !blnYesDefault ? 1 : 0; }

int frmMsg::EtchedLineTop() const { return cmdUser[0]->y() - 10; }

void frmMsg::Form_Load() {
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowStaysOnTopHint;
    if (bteMsgType == 0) flags |= Qt::FramelessWindowHint;
    else flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    setWindowFlags(flags);
    setWindowTitle(bteMsgType == 0 ? QString() : Q(strCaption));

    const QSize inner = InnerSize(bteMsgType);
    const int W = inner.width();
    const int H = inner.height();
    setFixedSize(inner);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize outer = WindowSize(bteMsgType);
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }

    labNote->setText(Q(strNote));
    if (bteMsgType == 0) {
        labNote->setGeometry(50, 25, W - 60, H - 40);
    } else {
        labNote->setGeometry(50, 22, W - 60, H - 70);
        const int top = H - 30;
        const int w = kButtonWidth;
        cmdUser[0]->setText(Q(strYesCmdCaption + "(&Y)"));
        if (bteMsgType == 1) {
            cmdUser[0]->move((W - w) / 2, top);
        } else {
            const int x = (W - 2 * w - kButtonGap) / 2;
            cmdUser[0]->move(x, top);
            cmdUser[1]->setText(Q(strNoCmdCaption + "(&N)"));
            cmdUser[1]->move(x + w + kButtonGap, top);
            cmdUser[1]->show();
        }
        cmdUser[0]->show();
        QPushButton* focus = cmdUser[DefaultButton()];
        focus->setDefault(true);
        focus->setFocus();
        tmrDelay->SetInterval(pool_ ? pool_->lngDelayInterval : 1000);
        tmrDelay->SetEnabled(true);
    }

    const QString icon =
        Q(pool_ ? pool_->strMsgResPath : std::string()) + QStringLiteral("Msg%1.ico").arg(unsigned(bteMsgType));
    imgIcon = QFileInfo::exists(icon) ? QImage(icon) : QImage();
}

void frmMsg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (bteMsgType == 0) {
        // No caption, no system frame: a raised edge of our own.
        p.setPen(QColor(255, 255, 255));
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(QColor(132, 130, 132));
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
        p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    }
    if (!imgIcon.isNull()) p.drawImage(10, 15, imgIcon);
    if (bteMsgType != 0) {
        const int y = EtchedLineTop();
        const int right = width() - 10;
        p.setPen(QColor(255, 255, 255));
        p.drawLine(10, y, right, y);
        p.setPen(QColor(132, 130, 132));
        p.drawLine(10, y + 1, right, y + 1);
    }
}

void frmMsg::tmrDelay_Timer() {
    if (bteMsgType == 0 || unloaded_) {
        tmrDelay->SetEnabled(false);
        return;
    }
    const int d = DefaultButton();
    const std::string caption = d == 0 ? strYesCmdCaption + "(&Y) " : strNoCmdCaption + "(&N) ";
    cmdUser[d]->setText(Q(caption + std::to_string(lngMaxDelayTime)));
    --lngMaxDelayTime;
    if (lngMaxDelayTime < 0) {
        tmrDelay->SetEnabled(false);
        cmdUser_Click(d);
    }
}

void frmMsg::cmdUser_Click(int index) {
    tmrDelay->SetEnabled(false);
    Unload(true, index == 0);
}

void frmMsg::Unload(bool blnAnswered, bool blnAnswer) {
    if (unloaded_) return;
    unloaded_ = true;
    tmrDelay->SetEnabled(false);
    if (pool_) pool_->ReleaseSlot(this, blnAnswered, blnAnswer);
    done(blnAnswer ? QDialog::Accepted : QDialog::Rejected);  // ends a modal wait too
    deleteLater();
}

void frmMsg::reject() {
    // Escape: the question answers no, the one-button notice its button; a notice
    // without buttons stays until the program closes it.
    if (unloaded_ || bteMsgType == 0) return;
    cmdUser_Click(bteMsgType == 2 ? 1 : 0);
}

void frmMsg::closeEvent(QCloseEvent* e) {
    if (e->spontaneous()) {
        e->ignore();
        reject();
        return;
    }
    e->accept();
    Unload();
}
