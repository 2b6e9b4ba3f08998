#include "tools/resgen/ResGenerator.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "tools/resgen/BmpFile.h"
#include "tools/resgen/ButtonArt.h"
#include "tools/resgen/EffectArt.h"
#include "tools/resgen/IcoFile.h"
#include "tools/resgen/ItemArt.h"
#include "tools/resgen/LobbyArt.h"
#include "tools/resgen/MapMaker.h"
#include "tools/resgen/ResultArt.h"
#include "tools/resgen/SoundSynth.h"
#include "tools/resgen/TableArt.h"
#include "tools/resgen/TileArt.h"
#include "tools/resgen/WavFile.h"

namespace ResGenerator {

namespace {

const QString kRes = QStringLiteral("table/Res/");

void AddBmp(std::vector<ResEntry>& out, const QString& path, const QImage& image) {
    out.push_back({path, BmpFile::Encode(image), {image}, {}});
}

void AddIco(std::vector<ResEntry>& out, const QString& path, const std::vector<QImage>& images) {
    out.push_back({path, IcoFile::Encode(images), images, {}});
}

}  // namespace

std::vector<ResEntry> GenerateAll() {
    std::vector<ResEntry> out;

    // Lobby folder: message window icons and chat faces.
    for (int type = 0; type < 3; ++type)
        AddIco(out, QStringLiteral("res/Msg%1.ico").arg(type), {LobbyArt::MsgIcon(type)});
    for (int n = 0; n < LobbyArt::kFaceCount; ++n)
        AddBmp(out, QStringLiteral("UserRes/face/face%1.bmp").arg(n), LobbyArt::Face(n));

    // The table: background first, the buttons are drawn over pieces of it.
    const QImage gameBack = TableArt::GameBack();
    AddBmp(out, kRes + "GameBack.bmp", gameBack);
    const QImage tiles = TileArt::TileSheet();
    AddBmp(out, kRes + "FangKuai.bmp", tiles);
    AddBmp(out, kRes + "FangKuai_HD.bmp", TileArt::GreySheet(tiles));
    AddBmp(out, kRes + "OtherUserIn.bmp", TableArt::OtherUserIn());
    AddBmp(out, kRes + "OtherUserOut.bmp", TableArt::OtherUserOut());
    AddBmp(out, kRes + "CurUserOut.bmp", TableArt::CurUserOut());
    AddBmp(out, kRes + "OtherUserPosNo.bmp", TableArt::OtherUserPosNo());
    AddBmp(out, kRes + "OtherUserFenZu.bmp", TableArt::OtherUserFenZu());
    AddBmp(out, kRes + "CurUserFenZu.bmp", TableArt::CurUserFenZu());
    AddBmp(out, kRes + "NetBreak.bmp", TableArt::NetBreak());
    AddIco(out, kRes + "Hand.ico", {TableArt::Hand()});
    AddIco(out, kRes + "Logo.ico", TableArt::Logo());
    AddBmp(out, kRes + "DaiJuInfoJiao.bmp", TableArt::DaiJuInfoJiao());

    AddBmp(out, kRes + "HelpBut.bmp", ButtonArt::HelpBut(gameBack));
    AddBmp(out, kRes + "SystemBut.bmp", ButtonArt::SystemBut(gameBack));
    AddBmp(out, kRes + "FenZuBut.bmp", ButtonArt::FenZuBut(gameBack));
    AddBmp(out, kRes + "DaoJu/DjBut.bmp", ItemArt::DjBut(gameBack));
    for (int k = 0; k < ItemArt::kItemCount; ++k)
        AddIco(out, kRes + QStringLiteral("DaoJu/DjFlag%1.ico").arg(k), {ItemArt::ItemIcon(k)});

    AddBmp(out, kRes + "ScoreSort.bmp", ResultArt::ScoreSort());
    AddBmp(out, kRes + "ScorePalard.bmp", ResultArt::ScorePalard());
    AddBmp(out, kRes + "CurUserWinFlag.bmp", ResultArt::WinFlag());
    AddBmp(out, kRes + "CurUserFailFlag.bmp", ResultArt::FailFlag());
    AddBmp(out, kRes + "TimeEnd.bmp", ResultArt::TimeEnd());

    AddBmp(out, kRes + "hz_flash.bmp", EffectArt::HzFlash());
    AddBmp(out, kRes + "vs_flash.bmp", EffectArt::VsFlash());
    for (int n = 1; n <= 3; ++n)
        AddBmp(out, kRes + QStringLiteral("Blast/Blast%1.bmp").arg(n, 3, 10, QLatin1Char('0')),
               EffectArt::BlastFrame(n));
    AddBmp(out, kRes + "LianJiBk.bmp", EffectArt::LianJiBk());
    AddBmp(out, kRes + "Number.bmp", EffectArt::Number());

    for (int n = 0; n < SoundSynth::kSoundCount; ++n) {
        std::vector<std::int16_t> samples = SoundSynth::Sound(n);
        out.push_back(
            {kRes + "Sound/" + SoundSynth::SoundFileName(n), WavFile::Encode(samples), {}, std::move(samples)});
    }

    const std::vector<MapMaker::Layout> layouts = MapMaker::Layouts();
    out.push_back({kRes + "Map/MapTitle.txt", MapMaker::TitleFile(layouts), {}, {}});
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        out.push_back(
            {kRes + "Map/" + MapMaker::MapFileName(static_cast<int>(i) + 1), MapMaker::MapFile(layouts[i]), {}, {}});
    }
    return out;
}

const ResEntry* Find(const std::vector<ResEntry>& entries, const QString& path) {
    for (const ResEntry& entry : entries) {
        if (entry.path == path) return &entry;
    }
    return nullptr;
}

bool WriteAll(const std::vector<ResEntry>& entries, const QString& lobbyDir, QString* error) {
    const QDir root(lobbyDir);
    for (const ResEntry& entry : entries) {
        const QString target = root.filePath(entry.path);
        if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
            if (error) *error = QStringLiteral("cannot create the folder of %1").arg(target);
            return false;
        }
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(entry.bytes) != entry.bytes.size() || !file.commit()) {
            if (error) *error = QStringLiteral("cannot write %1: %2").arg(target, file.errorString());
            return false;
        }
    }
    return true;
}

}  // namespace ResGenerator
