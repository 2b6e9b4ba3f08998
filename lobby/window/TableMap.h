// The room's tables drawn as tables: a rounded table top with six seat circles around it,
// the seated players' names beside their seats, free seats open to a click (sit down), a
// taken seat's click to watch that player. One free table closes the list, for a table of
// one's own.
#pragma once
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/LobbyMessages.h"

class TableMap : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellWidth = 232, kCellHeight = 200;

    explicit TableMap(QWidget* parent = nullptr);

    void SetTables(std::vector<LobbyMessages::TableView> tables);
    void SetMe(const QString& name);
    // The tables as drawn: the room's, then one free table.
    const std::vector<LobbyMessages::TableView>& Shown() const { return shown_; }
    // Where a seat of the shown table at `index` is drawn (its circle).
    QRect SeatRect(int index, int seat) const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void SitAt(int table);
    void WatchPlayer(const QString& name);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    struct Hit {
        int index = -1, seat = -1;
        bool operator==(const Hit&) const = default;
    };
    int Columns() const;
    QPoint CellOrigin(int index) const;
    std::optional<Hit> HitAt(QPoint p) const;
    void PaintTable(QPainter& p, int index) const;

    std::vector<LobbyMessages::TableView> shown_;
    QString me_;
    std::optional<Hit> hover_;
};
