// The sound effects: which file each number plays, silence with the setting off, while
// minimised, for a missing file and without an output device, and one sound at a time.
#include <QApplication>
#include <QFile>

#include "GameTable.h"
#include "PaintFixtures.h"
#include "client/platform/WavePlayer.h"
#include "client/start/modSound.h"
#include "core/GameMessages.h"

using namespace gametable;

namespace {

const char* const kSounds[6] = {"DelFk.wav", "End.wav", "DaoJu.wav", "SelectFk.wav", "Start.wav", "timeWarn.wav"};

// A table whose sounds go to a recorder: the machine has an output device unless told.
class SoundTable : public Table {
public:
    SoundTable() {
        for (const char* name : kSounds) {
            const QString path = paintfix::PathOf(h.AppFolder(), std::string("Res\\Sound\\") + name);
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write("RIFF");
        }
        player().DeviceQuery = [this] { return device; };
        player().Output = [this](const std::string& file) { heard.push_back(Name(file)); };
    }
    WavePlayer& player() { return c().sound->Player(); }
    void Play(int n) { h.Main().PlayGameSound(static_cast<std::uint8_t>(n)); }
    std::string Name(const std::string& file) const {
        return file.rfind(h.AppFolder(), 0) == 0 ? file.substr(h.AppFolder().size()) : file;
    }

    bool device = true;
    std::vector<std::string> heard;
};

}  // namespace

TEST(Sound, EachNumberPlaysItsFileBelowTheProgramFolder) {
    SoundTable t;
    for (int n = 0; n < 6; ++n) t.Play(n);
    t.Play(6);
    t.Play(255);
    std::vector<std::string> expected;
    for (const char* name : kSounds) expected.push_back(std::string("Res/Sound/") + name);
    EXPECT_EQ(t.heard, expected);
}

TEST(Sound, SilentWhenSwitchedOffMinimisedMissingOrWithoutDevice) {
    SoundTable off;
    off.c().bteSoundOn = 0;
    off.Play(0);
    EXPECT_TRUE(off.heard.empty());

    SoundTable small;
    small.h.Main().showMinimized();
    small.Play(0);
    EXPECT_TRUE(small.heard.empty());
    small.h.Main().showNormal();
    small.Play(0);
    EXPECT_EQ(small.heard.size(), 1u);

    SoundTable missing;
    std::filesystem::remove(std::filesystem::path(missing.h.AppFolder()) / "Res/Sound/End.wav");
    missing.Receive({modGameMsgDefine::GAMEMSG_END});  // the game end plays End.wav
    missing.Play(1);
    EXPECT_TRUE(missing.heard.empty());
    EXPECT_TRUE(harness::Boxes().empty());
    EXPECT_TRUE(missing.windows.empty());

    SoundTable mute;
    mute.device = false;
    mute.Play(3);
    EXPECT_TRUE(mute.heard.empty());
    EXPECT_TRUE(mute.player().Started().empty());
}

TEST(Sound, ANewSoundCutsOffTheOnePlaying) {
    SoundTable t;
    t.Play(3);
    EXPECT_EQ(t.Name(t.player().Playing()), "Res/Sound/SelectFk.wav");
    t.Play(0);
    EXPECT_EQ(t.Name(t.player().Playing()), "Res/Sound/DelFk.wav");
    ASSERT_EQ(t.player().CutOff().size(), 1u);
    EXPECT_EQ(t.Name(t.player().CutOff()[0]), "Res/Sound/SelectFk.wav");
    t.player().Stop();
    t.Play(2);  // nothing plays any more: nothing is cut off
    EXPECT_EQ(t.player().CutOff().size(), 1u);
    EXPECT_EQ(t.player().Started().size(), 3u);
}

TEST(Sound, GameEventsPlayTheirSounds) {
    SoundTable t;
    TileGridT board{};
    board[0][0] = board[0][1] = 7;
    board[5][5] = 9;
    t.Receive(StartMsg(board));
    t.Press(0, 0);
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    t.Receive(GameMessages::CompassDone(1, 0));  // 李四's compass
    EXPECT_EQ(t.heard, (std::vector<std::string>{"Res/Sound/Start.wav", "Res/Sound/SelectFk.wav", "Res/Sound/DelFk.wav",
                                                 "Res/Sound/DaoJu.wav"}));
}
