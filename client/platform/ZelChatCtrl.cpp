#include "client/platform/ZelChatCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTime>
#include <QVBoxLayout>

#include "core/ChatFields.h"
#include "core/LeadingNumber.h"

namespace {
constexpr int kTitleHeight = 14;
const QString kEveryone = QString::fromUtf8(ChatFields::kEveryone);

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Html(const std::string& s) { return Q(s).toHtmlEscaped(); }
}  // namespace

ZelChatCtrl::ZelChatCtrl(QWidget* parent) : QWidget(parent) {
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);

    txtHistory = new QTextBrowser(this);
    txtHistory->setOpenLinks(false);
    txtHistory->setFrameShape(QFrame::NoFrame);
    txtHistory->document()->setMaximumBlockCount(kMaxHistoryLines);
    txtHistory->document()->setDocumentMargin(2);

    cboTalkTo = new QComboBox(this);
    cboTalkTo->addItem(kEveryone);
    cboTalkTo->setToolTip(QStringLiteral("说话对象"));
    chkPrivate = new QCheckBox(QStringLiteral("悄悄话"), this);
    chkPrivate->setToolTip(QStringLiteral("只让对方看到"));
    chkPrivate->setEnabled(false);

    txtInput = new QLineEdit(this);
    txtInput->setMaxLength(ChatFields::kMaxTextChars);
    cmdSend = new QPushButton(QStringLiteral("发送"), this);
    cmdSend->setFixedWidth(36);

    auto* toRow = new QHBoxLayout;
    toRow->setSpacing(2);
    toRow->addWidget(cboTalkTo, 1);
    toRow->addWidget(chkPrivate);
    auto* inputRow = new QHBoxLayout;
    inputRow->setSpacing(2);
    inputRow->addWidget(txtInput, 1);
    inputRow->addWidget(cmdSend);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, kTitleHeight, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(txtHistory, 1);
    layout->addLayout(toRow);
    layout->addLayout(inputRow);

    connect(txtInput, &QLineEdit::returnPressed, this, [this] { SendInput(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { SendInput(); });
    connect(cboTalkTo, &QComboBox::currentIndexChanged, this, [this](int index) {
        talkTo_ = index <= 0 ? std::string(ChatFields::kEveryone) : cboTalkTo->itemText(index).toStdString();
        chkPrivate->setEnabled(index > 0);
        if (index <= 0) chkPrivate->setChecked(false);
    });
}

void ZelChatCtrl::SetCurUserName(const std::string& name) { curUserName_ = name; }

void ZelChatCtrl::SetTalkTo(const std::string& name) {
    if (name.empty() || name == ChatFields::kEveryone) {
        cboTalkTo->setCurrentIndex(0);
        return;
    }
    int index = cboTalkTo->findText(Q(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        cboTalkTo->addItem(Q(name));
        index = cboTalkTo->count() - 1;
    }
    cboTalkTo->setCurrentIndex(index);
}

void ZelChatCtrl::InitChat() {
    txtHistory->clear();
    txtInput->clear();
    SetTalkTo(talkTo_);
}

void ZelChatCtrl::ChangeUser(const std::string& op, const std::string& name) {
    if (name.empty() || name == ChatFields::kEveryone) return;
    const int index = cboTalkTo->findText(Q(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (op == "ADD") {
        if (index < 0 && name != curUserName_) cboTalkTo->addItem(Q(name));
    } else if (op == "DEL") {
        if (index <= 0) return;
        if (cboTalkTo->currentIndex() == index) cboTalkTo->setCurrentIndex(0);
        cboTalkTo->removeItem(index);
    }
}

void ZelChatCtrl::ClearUsers() {
    cboTalkTo->setCurrentIndex(0);
    while (cboTalkTo->count() > 1) cboTalkTo->removeItem(1);
}

void ZelChatCtrl::ShowNotice(const std::string& text) {
    AppendLine(QStringLiteral("<span style=\"color:#006f70\">%1</span>").arg(Html(text)));
}

void ZelChatCtrl::ShowBroadcast(const std::string& text) {
    AppendLine(QStringLiteral("<span style=\"color:#c00000\">【广播】%1</span>").arg(Html(text)));
}

void ZelChatCtrl::ShowChatMsg(const std::array<std::string, 8>& f) {
    const std::string& sender = f[ChatFields::kSender - 2];
    const std::string& shownTo = f[ChatFields::kShownTo - 2];
    const std::string& time = f[ChatFields::kTime - 2];
    const std::int32_t colour = LeadingNumber::Long(f[ChatFields::kColour - 2]);
    const bool bold = (LeadingNumber::Long(f[ChatFields::kStyle - 2]) & 1) != 0;
    const QColor c = QColor::fromRgb(QRgb(std::uint32_t(colour) & 0xFFFFFFu));
    QString text = Html(f[ChatFields::kText - 2]);
    if (bold) text = QStringLiteral("<b>%1</b>").arg(text);
    AppendLine(
        QStringLiteral("<span style=\"color:#606060\">%1</span> <span style=\"color:#0000a0\">%2</span>"
                       " 对 %3 说：<span style=\"color:%4\">%5</span>")
            .arg(Html(time), Html(sender), Html(shownTo.empty() ? ChatFields::kEveryone : shownTo), c.name(), text));
}

void ZelChatCtrl::AppendLine(const QString& html) {
    QScrollBar* bar = txtHistory->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    txtHistory->append(html);
    if (atEnd) bar->setValue(bar->maximum());
}

std::vector<std::string> ZelChatCtrl::HistoryLines() const {
    std::vector<std::string> lines;
    const QTextDocument* doc = txtHistory->document();
    if (doc->isEmpty()) return lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines.push_back(b.text().toStdString());
    return lines;
}

std::vector<std::string> ZelChatCtrl::Addressees() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(cboTalkTo->count()));
    for (int i = 0; i < cboTalkTo->count(); ++i) names.push_back(cboTalkTo->itemText(i).toStdString());
    return names;
}

std::string ZelChatCtrl::CleanChatText(const std::string& text) {
    QString t = Q(text).trimmed();
    t.replace(QLatin1Char('`'), QLatin1Char('\''));
    // Line breaks would start lines of their own in the history.
    t.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (t.size() > ChatFields::kMaxTextChars) {
        qsizetype n = ChatFields::kMaxTextChars;
        if (t.at(n - 1).isHighSurrogate()) --n;  // keep a character whole
        t.truncate(n);
    }
    return t.toStdString();
}

void ZelChatCtrl::SendInput() {
    const std::string text = CleanChatText(txtInput->text().toStdString());
    if (text.empty()) return;
    const bool everyone = talkTo_ == ChatFields::kEveryone;
    std::array<std::string, ChatFields::kFieldCount> f;
    f[ChatFields::kTarget] = talkTo_;
    f[ChatFields::kPrivate] = !everyone && chkPrivate->isChecked() ? "1" : "0";
    f[ChatFields::kSender] = curUserName_;
    f[ChatFields::kShownTo] = talkTo_;
    f[ChatFields::kTime] = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
    f[ChatFields::kColour] = std::to_string(lngTextColor & 0xFFFFFFu);
    f[ChatFields::kFace] = "0";
    f[ChatFields::kStyle] = "0";
    f[ChatFields::kText] = text;
    f[ChatFields::kReserved] = "-";
    txtInput->clear();
    if (OnSendChat) OnSendChat(f);
}

void ZelChatCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(0, 0, width(), kTitleHeight, QColor(0, 138, 140));
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRect(4, 0, width() - 8, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter, Q(RoomTitle));
}
