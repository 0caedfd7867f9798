// Any bytes as a whole recording played back: the input holds the eight files (the index, then the
// streams in the order of StreamExtensions), each as a little-endian 32-bit length and its bytes (a
// length past the input takes what is left; pack_recording_seed.py packs a recording so). Playback
// opens them and steps through every index record and round again, feeding what it reads through the
// analysis as live data, until a step reports damage. Damage may be refused with a message; nothing may
// crash or read past a file.
#include "engine/EngineBuffers.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "storage/playback/Tr9_playdata.h"
#include "storage/recording/RecordingFormat.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The recording's folder and the messages playback showed, set up once for every input.
struct TPlaybackRig {
    TPlaybackRig() {
        InitProgramSettings();
        InstanceNumber = 1;
        if (!dir.isValid() || AllocAnalysisBuffers(false) <= 0)
            std::abort();
        SetMessageBoxHandler([this](const MessageRequest &) {
            ++messages;
            return int(IdOk);
        });
    }
    QString Base() const { return dir.path() + QStringLiteral("/play"); }

    QTemporaryDir dir;
    int messages = 0;
};

// Cuts the next file from the input: a 32-bit length, then as many bytes as it says and the input holds.
QByteArray NextFile(const uint8_t *&data, size_t &left) {
    uint32_t length = 0;
    const size_t header = left < sizeof length ? left : sizeof length;
    std::memcpy(&length, data, header);
    data += header;
    left -= header;
    const size_t taken = length < left ? length : left;
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(taken));
    data += taken;
    left -= taken;
    return bytes;
}

void WriteFile(const QString &name, const QByteArray &bytes) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static TPlaybackRig rig;
    WriteFile(rig.Base() + QLatin1String(IndexExtension), NextFile(data, size));
    for (const char *extension : StreamExtensions)
        WriteFile(rig.Base() + QLatin1String(extension), NextFile(data, size));

    const TDeviceSettings saved = *DeviceSettings;
    PlaybackOn = true;
    rig.messages = 0;
    if (std::unique_ptr<TR9_PlayData> play = TR9_PlayData::Open(rig.Base())) {
        const int64_t records = play->IndexSize() / int64_t(sizeof(IndexRecord));
        for (int64_t step = 0; step < 2 * records + 1; ++step) {
            const int before = rig.messages;
            const bool stepped = play->Step();
            if (!stepped && rig.messages > before)
                break;
        }
    }
    PlaybackOn = false;
    *DeviceSettings = saved;
    return 0;
}
