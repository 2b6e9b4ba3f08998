// The board layouts the room server deals from and the map dialog previews: the title
// list (GBK, one title a line, entry 0 the random map) and one file per layout, 10 lines
// of 18 digits ("1" a tile, "0" empty), lines ending in CR LF.
#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

namespace MapMaker {

struct Layout {
    QString title;              // the title shown in the map list
    std::vector<QString> rows;  // 10 rows of 18 cells, '#' a tile, '.' empty
};

std::vector<Layout> Layouts();

// "Res\Map\MapTitle.txt": the random entry, then every layout's title.
QByteArray TitleFile(const std::vector<Layout>& layouts);

// One layout's map file.
QByteArray MapFile(const Layout& layout);

// The file name of map number n >= 1: "Map001.map", ..., "Map123.map".
QString MapFileName(int n);

}  // namespace MapMaker
