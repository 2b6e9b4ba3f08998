// tilelink-resgen: writes every picture, icon, sound and map of the lobby folder and of
// the game folder's Res/ tree, and on request the review picture of all of them.
//
//   tilelink-resgen --out LOBBY_DIR      writes LOBBY_DIR/res, LOBBY_DIR/UserRes/face, LOBBY_DIR/table/Res
//   tilelink-resgen --gallery FILE.png   draws the review picture
//   tilelink-resgen --list               prints the files it writes, relative to the lobby folder
//   tilelink-resgen --icons DIR          writes the desktop icons, DIR/NxN/apps/tilelink.png
#include <CLI/CLI.hpp>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "core/CommandLine.h"
#include "tools/resgen/Gallery.h"
#include "tools/resgen/ResGenerator.h"
#include "tools/resgen/TableArt.h"

namespace {

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

    std::string outDir, galleryFile, iconDir;
    bool list = false;
    CLI::App cli(
        "tilelink-resgen: writes every picture, icon, sound and map of the lobby folder and of the game "
        "folder's Res/ tree.",
        "tilelink-resgen");
    CommandLine::Prepare(cli);
    cli.add_option("--out", outDir, "writes LOBBY_DIR/res, LOBBY_DIR/UserRes/face, LOBBY_DIR/table/Res")
        ->type_name("LOBBY_DIR");
    cli.add_option("--gallery", galleryFile, "draws the review picture")->type_name("FILE.png");
    cli.add_flag("--list", list, "prints the files it writes, relative to the lobby folder");
    cli.add_option("--icons", iconDir, "writes the desktop icons, DIR/NxN/apps/tilelink.png")->type_name("DIR");
    if (const auto end = CommandLine::ReadOrEnd(cli, argc, argv)) return *end;
    if (outDir.empty() && galleryFile.empty() && iconDir.empty() && !list)
        return CommandLine::ReadFailure("tilelink-resgen", "nothing to do: give --out, --gallery, --list or --icons",
                                        false);
    if (!iconDir.empty() && !WriteIcons(QString::fromLocal8Bit(iconDir.c_str()))) return 1;
    if (outDir.empty() && galleryFile.empty() && !list) return 0;

    const std::vector<ResEntry> entries = ResGenerator::GenerateAll();
    if (list) {
        for (const ResEntry& entry : entries) std::printf("%s\n", entry.path.toUtf8().constData());
    }
    if (!outDir.empty()) {
        QString failure;
        if (!ResGenerator::WriteAll(entries, QString::fromLocal8Bit(outDir.c_str()), &failure)) {
            std::fprintf(stderr, "tilelink-resgen: %s\n", failure.toLocal8Bit().constData());
            return 1;
        }
    }
    if (!galleryFile.empty() && !Gallery::Draw(entries).save(QString::fromLocal8Bit(galleryFile.c_str()), "PNG")) {
        std::fprintf(stderr, "tilelink-resgen: cannot write %s\n", galleryFile.c_str());
        return 1;
    }
    return 0;
}
