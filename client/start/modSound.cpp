#include "client/start/modSound.h"

#include <QFileInfo>

#include "client/TableClient.h"
#include "client/platform/WavePlayer.h"
#include "client/start/frmMain.h"

modSound::modSound(TableClient& client) : client_(client), player_(std::make_unique<WavePlayer>()) {}

modSound::~modSound() = default;

std::string modSound::SoundFile(std::uint8_t bteSoundNo) {
    static const char* const files[6] = {"DelFk.wav",    "End.wav",   "DaoJu.wav",
                                         "SelectFk.wav", "Start.wav", "timeWarn.wav"};
    return bteSoundNo < 6 ? files[bteSoundNo] : std::string();
}

void modSound::PlayGameSound(std::uint8_t bteSoundNo) {
    if (client_.bteSoundOn == 0) return;
    if (client_.mainForm && client_.mainForm->IsMinimized()) return;
    const std::string file = SoundFile(bteSoundNo);
    if (file.empty()) return;
    PlayWaveFile(client_.ResPath("Res\\Sound\\" + file));
}

void modSound::Prepare() { player_->Prepare(); }

void modSound::PlayWaveFile(const std::string& strFile) {
    if (!QFileInfo(QString::fromStdString(strFile)).isFile()) return;
    if (!player_->HasOutputDevice()) return;
    player_->Play(strFile);
}
