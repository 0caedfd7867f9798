#include "shell/RemoteTextMessage.h"

#include "link/Dspio9.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "state/RemoteMessage.h"

#include <cstring>

namespace {

constexpr uint8_t SendTxt_R = 240;
constexpr int MaxMessageWords = int(TDspIo9::MesOutMaxWords);

void AppendLe32(QByteArray &bytes, int32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char(uint32_t(value) >> shift & 0xFF));
}

QString Kilobytes(double bytes) {
    return DoubleToText(bytes / 1024.0, 3);
}

} // namespace

QByteArray BuildTextMessage(const QString &text) {
    const QByteArray body = ToCp1251(text);
    QByteArray message(2, '\0');
    message.append(char(SendTxt_R));
    AppendLe32(message, int32_t(body.size()));
    message.append(body);
    if (message.size() % 2)
        message.append('\0');
    return message;
}

bool SendTextMessage(const QString &text) {
    const QByteArray message = BuildTextMessage(text);
    if (message.size() / 2 > MaxMessageWords) {
        ShowMessage({QStringLiteral("Длина сообщения слишком велика!\nДлина Вашего сообщения равна ") +
                         Kilobytes(message.size()) + QStringLiteral(" Кб.\nМаксимальный размер сообщения равен ") +
                         Kilobytes(MaxMessageWords * 2.0) + QStringLiteral(" Кб."),
                     LoadStr(5), MsgIcon::Error, MsgButtons::Ok});
        return false;
    }
    ClearRemoteMessage(RemoteMessage);
    RemoteMessage.Size = int32_t(message.size());
    RemoteMessage.Message = new uint8_t[std::size_t(message.size())];
    std::memcpy(RemoteMessage.Message, message.constData(), std::size_t(message.size()));
    DeviceSettings->Mode |= PendingMessage;
    SendCommand();
    return true;
}
