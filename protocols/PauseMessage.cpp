#include "protocols/PauseMessage.h"

#include "chartlib/Chartlib.h"
#include "platform/Cp1251.h"

namespace {

const QString LineEnd = QStringLiteral(" \n ");

} // namespace

QStringList PauseMessageLines(const ScenarioRow &row) {
    const QString text = FixedText(row.PauseMessage);
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(LineEnd);
    // The last line's end leaves an empty piece behind it.
    if (lines.size() > 1 && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

void SetPauseMessage(ScenarioRow &row, const QStringList &lines) {
    QString text;
    for (const QString &line : lines)
        text += line + LineEnd;
    SetFixedText(row.PauseMessage, text);
}

QStringList ExtractCommands(const QStringList &lines) {
    QString text = lines.join(QString()).toUpper();
    QStringList commands;
    for (;;) {
        const qsizetype open = text.indexOf(u'@');
        if (open < 0)
            break;
        text.remove(0, open + 1);
        const qsizetype close = text.indexOf(u'@');
        if (close < 0)
            break;
        commands << u'@' + text.left(close);
        text.remove(0, close + 1);
    }
    return commands;
}

QByteArray CommandFrame(const QString &command) {
    QByteArray frame = ToCp1251(command);
    const uint8_t check = XorOfBytes(frame);
    frame.append(char(check & 0xF0));
    frame.append(char(check & 0x0F));
    return frame;
}
