#include "link/LibraryPackets.h"

#include "link/Dspio9.h"
#include "link/Library.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <algorithm>
#include <cmath>

bool BcGeneratorPath(std::int32_t type) {
    return type > 5 && type != 11;
}

bool DemoMode() {
    return ConnectionKind == 0;
}

bool SendWords(const PacketWords &words, std::uint32_t type) {
    return DspIo->SendPacket(words.Bytes().data(), std::uint32_t(words.Bytes().size()), type);
}

bool CommandRefused(const QString &text) {
    ShowMessage({text, ProgramName, MsgIcon::None, MsgButtons::Ok});
    return false;
}

QString NotIssued(const char *name) {
    return QStringLiteral("Команда ") + QString::fromUtf8(name) + QStringLiteral(" не выдана");
}

QString NotIssuedWithMode(const char *what) {
    return NotIssued(what) + QStringLiteral(" R9->Mode=") + QString::number(DeviceSettings->Mode);
}

std::int64_t RoundCode(double x) {
    // Settings read from a damaged file may hold anything: keep the result a defined number.
    if (!std::isfinite(x))
        return 0;
    return std::int64_t(std::trunc(std::clamp(x + 0.5, -9.0e18, 9.0e18)));
}

std::uint32_t PhaseStepOf(double frequency, double sampleRate) {
    if (!(sampleRate > 0))
        return 0;
    return std::uint32_t(std::uint64_t(RoundCode(frequency / sampleRate * 4294967296.0)));
}
