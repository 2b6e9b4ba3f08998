#include "lobby/window/TableMap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

using LobbyMessages::kSeats;
using LobbyMessages::TableView;

namespace {

constexpr int kSeatRadius = 17;
// Seat centres around a table top of 120 x 64 in the middle of its cell, clockwise from
// the upper left.
constexpr QPoint kSeatCentre[kSeats] = {{86, 42}, {146, 42}, {198, 100}, {146, 158}, {86, 158}, {34, 100}};
const QRect kTop(56, 68, 120, 64);

// The name's box: above the upper seats, below the lower ones, under the side ones.
QRect NameRect(int seat) {
    const QPoint c = kSeatCentre[seat];
    if (seat == 0 || seat == 1) return {c.x() - 30, c.y() - kSeatRadius - 18, 60, 16};
    if (seat == 3 || seat == 4) return {c.x() - 30, c.y() + kSeatRadius + 2, 60, 16};
    return {c.x() - 34, c.y() + kSeatRadius + 2, 68, 16};
}

}  // namespace

TableMap::TableMap(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    SetTables({});
}

void TableMap::SetTables(std::vector<TableView> tables) {
    std::sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    // The lowest number nobody uses: a free table to sit down at.
    int free = 1;
    for (const auto& t : tables)
        if (t.number == free) ++free;
    TableView empty;
    empty.number = free;
    tables.push_back(empty);
    shown_ = std::move(tables);
    hover_.reset();
    updateGeometry();
    setMinimumHeight(heightForWidth(width()));
    update();
}

void TableMap::SetMe(const QString& name) {
    me_ = name;
    update();
}

int TableMap::Columns() const { return std::max(1, width() / kCellWidth); }

QPoint TableMap::CellOrigin(int index) const {
    const int columns = Columns();
    const int margin = std::max(0, (width() - columns * kCellWidth) / 2);
    return {margin + (index % columns) * kCellWidth, (index / columns) * kCellHeight};
}

QRect TableMap::SeatRect(int index, int seat) const {
    const QPoint c = CellOrigin(index) + kSeatCentre[seat];
    return {c.x() - kSeatRadius, c.y() - kSeatRadius, 2 * kSeatRadius, 2 * kSeatRadius};
}

QSize TableMap::sizeHint() const { return {3 * kCellWidth, heightForWidth(3 * kCellWidth)}; }

int TableMap::heightForWidth(int width) const {
    const int columns = std::max(1, width / kCellWidth);
    const int rows = (static_cast<int>(shown_.size()) + columns - 1) / columns;
    return rows * kCellHeight;
}

void TableMap::resizeEvent(QResizeEvent*) { setMinimumHeight(heightForWidth(width())); }

std::optional<TableMap::Hit> TableMap::HitAt(QPoint p) const {
    for (int i = 0; i < static_cast<int>(shown_.size()); ++i)
        for (int s = 0; s < kSeats; ++s) {
            const QRect r = SeatRect(i, s);
            const QPoint d = p - r.center();
            if (d.x() * d.x() + d.y() * d.y() <= (kSeatRadius + 2) * (kSeatRadius + 2)) return Hit{i, s};
        }
    return std::nullopt;
}

void TableMap::mouseMoveEvent(QMouseEvent* e) {
    const auto hit = HitAt(e->position().toPoint());
    if (hit != hover_) {
        hover_ = hit;
        setCursor(hit ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (hit) {
            const auto& seat = shown_[hit->index].seats[hit->seat];
            const QString name = QString::fromStdString(seat.name);
            const QString state = seat.dropped   ? QStringLiteral("（掉线）")
                                  : seat.playing ? QStringLiteral("（游戏中）")
                                  : seat.ready   ? QStringLiteral("（已准备）")
                                                 : QString();
            setToolTip(name.isEmpty() ? QStringLiteral("坐下")
                       : name == me_  ? name + state
                                      : QStringLiteral("旁观 ") + name + state);
        } else {
            setToolTip({});
        }
        update();
    }
}

void TableMap::leaveEvent(QEvent*) {
    hover_.reset();
    update();
}

void TableMap::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const auto hit = HitAt(e->position().toPoint());
    if (!hit) return;
    const TableView& t = shown_[hit->index];
    const QString name = QString::fromStdString(t.seats[hit->seat].name);
    if (name.isEmpty()) emit SitAt(t.number);
    else if (name != me_) emit WatchPlayer(name);
}

void TableMap::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(236, 241, 232));
    for (int i = 0; i < static_cast<int>(shown_.size()); ++i) PaintTable(p, i);
}

void TableMap::PaintTable(QPainter& p, int index) const {
    const TableView& t = shown_[index];
    const QPoint o = CellOrigin(index);
    p.save();
    p.translate(o);
    // The table top: green cloth, darker while a game runs.
    const QColor cloth = t.running ? QColor(46, 110, 72) : QColor(78, 150, 100);
    p.setPen(QPen(QColor(120, 84, 48), 4));
    p.setBrush(cloth);
    p.drawRoundedRect(kTop, 22, 22);
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    const QString title = QStringLiteral("第 %1 桌").arg(t.number);
    p.drawText(kTop.adjusted(0, 8, 0, -28), Qt::AlignCenter, title);
    font.setBold(false);
    font.setPixelSize(12);
    p.setFont(font);
    QString status =
        t.running ? QStringLiteral("游戏中") : (t.Empty() ? QStringLiteral("空桌") : QStringLiteral("等待中"));
    if (!t.spectators.empty()) status += QStringLiteral(" · 旁观 %1").arg(t.spectators.size());
    p.drawText(kTop.adjusted(0, 32, 0, -6), Qt::AlignCenter, status);

    const QFontMetrics metrics(font);
    for (int s = 0; s < kSeats; ++s) {
        const auto& seat = t.seats[s];
        const QPoint c = kSeatCentre[s];
        const bool hovered = hover_ && hover_->index == index && hover_->seat == s;
        const QString name = QString::fromStdString(seat.name);
        QColor fill = QColor(250, 250, 246);
        if (!name.isEmpty())
            fill = seat.dropped   ? QColor(170, 170, 170)
                   : seat.playing ? QColor(232, 146, 60)
                   : seat.ready   ? QColor(96, 168, 220)
                                  : QColor(140, 150, 200);
        if (hovered) fill = fill.lighter(115);
        const bool mine = !name.isEmpty() && name == me_;
        p.setPen(QPen(mine      ? QColor(210, 40, 40)
                      : hovered ? QColor(60, 90, 60)
                                : QColor(130, 130, 120),
                      mine || hovered ? 3 : 1.5));
        p.setBrush(fill);
        p.drawEllipse(c, kSeatRadius, kSeatRadius);
        if (name.isEmpty()) {
            p.setPen(QPen(QColor(150, 170, 150), 2));
            p.drawLine(c + QPoint(-6, 0), c + QPoint(6, 0));
            p.drawLine(c + QPoint(0, -6), c + QPoint(0, 6));
            continue;
        }
        p.setPen(Qt::white);
        p.drawText(QRect(c.x() - kSeatRadius, c.y() - kSeatRadius, 2 * kSeatRadius, 2 * kSeatRadius), Qt::AlignCenter,
                   QString::number(s + 1));
        const QRect box = NameRect(s);
        p.setPen(mine ? QColor(190, 30, 30) : QColor(40, 50, 40));
        p.drawText(box, Qt::AlignCenter, metrics.elidedText(name, Qt::ElideRight, box.width()));
    }
    p.restore();
}
