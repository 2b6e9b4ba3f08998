// tilelink-resgen: writes every picture, icon, sound and map of the lobby folder and of
// the game folder's Res/ tree, and on request the review picture of all of them.
//
//   tilelink-resgen --out LOBBY_DIR      writes LOBBY_DIR/res, LOBBY_DIR/UserRes/face, LOBBY_DIR/table/Res
//   tilelink-resgen --gallery FILE.png   draws the review picture
//   tilelink-resgen --list               prints the files it writes, relative to the lobby folder
//   tilelink-resgen --icons DIR          writes the desktop icons, DIR/NxN/apps/tilelink.png
#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "tools/resgen/Gallery.h"
#include "tools/resgen/ResGenerator.h"
#include "tools/resgen/TableArt.h"

namespace {

int Usage() {
    std::fputs("usage: tilelink-resgen [--out LOBBY_DIR] [--gallery FILE.png] [--list] [--icons DIR]\n", stderr);
    return 2;
}

// The program mark at the sizes desktops look for, in the layout of an icon theme.
bool WriteIcons(const QString& dir) {
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(side);
        if (!QDir().mkpath(folder) || !TableArt::LogoAt(side).save(folder + QStringLiteral("/tilelink.png"), "PNG")) {
            std::fprintf(stderr, "tilelink-resgen: cannot write the icons into %s\n", folder.toLocal8Bit().constData());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString outDir;
    QString galleryFile;
    QString iconDir;
    bool list = false;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--out") || a == QLatin1String("--gallery")) && i + 1 < args.size()) {
            (a == QLatin1String("--out") ? outDir : galleryFile) = args[++i];
        } else if (a == QLatin1String("--icons") && i + 1 < args.size()) {
            iconDir = args[++i];
        } else if (a == QLatin1String("--list")) {
            list = true;
        } else {
            return Usage();
        }
    }
    if (outDir.isEmpty() && galleryFile.isEmpty() && iconDir.isEmpty() && !list) return Usage();
    if (!iconDir.isEmpty() && !WriteIcons(iconDir)) return 1;
    if (outDir.isEmpty() && galleryFile.isEmpty() && !list) return 0;

    const std::vector<ResEntry> entries = ResGenerator::GenerateAll();
    if (list) {
        for (const ResEntry& entry : entries) std::printf("%s\n", entry.path.toUtf8().constData());
    }
    if (!outDir.isEmpty()) {
        QString error;
        if (!ResGenerator::WriteAll(entries, outDir, &error)) {
            std::fprintf(stderr, "tilelink-resgen: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }
    if (!galleryFile.isEmpty() && !Gallery::Draw(entries).save(galleryFile, "PNG")) {
        std::fprintf(stderr, "tilelink-resgen: cannot write %s\n", galleryFile.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
