#include "shell/PowerRows.h"

#include <cmath>
#include <cstdint>

namespace {

const QString NotMeasured = QStringLiteral("не измерено");
const QString NoTolerance = QStringLiteral("--");

constexpr int BatteryEntry = 0;
constexpr int StatusEntry = 1;
constexpr int BattLowEntry = 2;
constexpr int FirstTemperatureEntry = 11;

constexpr int StatusExternalSupply = 0x20;
constexpr int StatusChargeForbidden = 0x08;
constexpr int StatusChargeSufficient = 0x40;
constexpr int StatusChargingState = 0x07;

bool Measured(const PowerStateEntry &entry) {
    return entry.Value != NoValue;
}

QString NormText(const PowerStateEntry &entry) {
    return entry.Ok ? QStringLiteral("норма") : QString::fromUtf16(OutOfNormText);
}

// The supply controller's charging state, bits 0 to 2 of the status word.
QString ChargingText(int status) {
    if (status & StatusChargeForbidden)
        return QStringLiteral("зарядка программно запрещена");
    switch (status & StatusChargingState) {
    case 0:
    case 2:
        return QStringLiteral("отсутствует или t вне +5..+45,С");
    case 1:
        return QStringLiteral("заряжается");
    case 3:
        return QStringLiteral("заряжен");
    case 7:
        return QStringLiteral("глубоко разряжен");
    default:
        return QStringLiteral("неисправность при зарядке");
    }
}

void BatteryRow(std::span<const PowerStateEntry, PowerStateCount> table, PowerRowTexts &row) {
    const PowerStateEntry &battery = table[BatteryEntry];
    const PowerStateEntry &status = table[StatusEntry];
    row.Tolerance = NoTolerance;
    // Without a status word nothing is known of the supply or the charge; it is never guessed.
    const bool statusKnown = Measured(status);
    const int word = statusKnown ? int(std::trunc(status.Value)) : 0;
    if (statusKnown && (word & StatusExternalSupply)) {
        row.Value = QStringLiteral("Внешний источник");
        row.State = ChargingText(word);
        return;
    }
    if (!Measured(battery)) {
        row.Value = row.State = NotMeasured;
        return;
    }
    row.Value = QString::asprintf("%d%%", int(std::trunc(battery.Value)));
    if (!statusKnown)
        row.State = NotMeasured;
    else
        row.State = word & StatusChargeSufficient ? QStringLiteral("норма") : QString::fromUtf16(OutOfNormText);
}

QString StatusBits(float value) {
    const int word = int(std::trunc(value));
    QString text;
    for (int bit = 7; bit >= 0; --bit) {
        if (bit == 3)
            text += ' ';
        text += (word >> bit) & 1 ? '1' : '0';
    }
    return text;
}

} // namespace

PowerRowTexts PowerRow(std::span<const PowerStateEntry, PowerStateCount> table, int i, bool registerChannelOpen) {
    PowerRowTexts row;
    if (i < 0 || i >= PowerStateCount)
        return row;
    const PowerStateEntry &entry = table[std::size_t(i)];
    row.Name = entry.Name;
    switch (i) {
    case BatteryEntry:
        BatteryRow(table, row);
        return row;
    case StatusEntry:
        row.Value = Measured(entry) ? StatusBits(entry.Value) : NotMeasured;
        row.Tolerance = row.State = NoTolerance;
        return row;
    case BattLowEntry:
        row.Value = !registerChannelOpen ? NotMeasured : entry.Ok ? QStringLiteral("1") : QStringLiteral("0");
        row.Tolerance = row.State = NoTolerance;
        return row;
    default:
        break;
    }
    row.Tolerance = QString::asprintf("[%5.1f,%5.1f]", double(entry.LowLimit), double(entry.HighLimit));
    if (!Measured(entry)) {
        row.Value = row.State = NotMeasured;
    } else if (!entry.Present) {
        row.Value = NotMeasured;
        row.State = QStringLiteral("откл.");
    } else {
        row.Value = QString::asprintf(i >= FirstTemperatureEntry ? "%5.1f" : "%5.2f", double(entry.Value));
        row.State = NormText(entry);
    }
    return row;
}
