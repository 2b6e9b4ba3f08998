// tilelink-resgen: writes every picture, icon, sound and map of the lobby folder and of
// the game folder's Res/ tree, and on request the review picture of all of them.
//
//   tilelink-resgen --out LOBBY_DIR      writes LOBBY_DIR/res, LOBBY_DIR/UserRes/face, LOBBY_DIR/table/Res
//   tilelink-resgen --gallery FILE.png   draws the review picture
//   tilelink-resgen --list               prints the files it writes, relative to the lobby folder
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "tools/resgen/Gallery.h"
#include "tools/resgen/ResGenerator.h"

namespace {

int Usage() {
    std::fputs("usage: tilelink-resgen [--out LOBBY_DIR] [--gallery FILE.png] [--list]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString outDir;
    QString galleryFile;
    bool list = false;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--out") || a == QLatin1String("--gallery")) && i + 1 < args.size()) {
            (a == QLatin1String("--out") ? outDir : galleryFile) = args[++i];
        } else if (a == QLatin1String("--list")) {
            list = true;
        } else {
            return Usage();
        }
    }
    if (outDir.isEmpty() && galleryFile.isEmpty() && !list) return Usage();

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
