#include "shell/PowerWatch.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

constexpr int BattLowBit = 0x40;
constexpr int ExternalSupplyBit = 0x20;

int BatteryIconFor(float charge) {
    if (charge > 90)
        return 1;
    if (charge > 65)
        return 2;
    if (charge > 40)
        return 3;
    if (charge > 12)
        return 4;
    return 5;
}

// A warning that ends the measurement (BATT_LOW, BC overheat): stop, or in service mode only a warning.
// Returns false when the tick ends here.
bool RaiseFatalWarning(const QString &text, TPowerTick &tick) {
    tick.Warning = text;
    if (tick.BatchMode) {
        tick.BatchLines << text;
        tick.FinishBatch = true;
    }
    if (!tick.TechnologyMode) {
        tick.StopRequest = true;
        tick.TimerStaysOff = true;
        return false;
    }
    if (!tick.BatchMode)
        tick.ArmMessageTimer = true;
    return true;
}

} // namespace

QString FormatWarning(const QString &format, double value, double low, double high) {
    static const QRegularExpression conversion(QStringLiteral("%([-+ #0]*\\d*(?:\\.\\d+)?)([diouxXfFeEgG%])"));
    const double arguments[3] = {value, low, high};
    int next = 0;
    QString result;
    qsizetype position = 0;
    auto it = conversion.globalMatch(format);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        result += format.mid(position, m.capturedStart() - position);
        position = m.capturedEnd();
        const QChar type = m.captured(2).at(0);
        if (type == '%') {
            result += '%';
            continue;
        }
        const double argument = next < 3 ? arguments[next] : 0.0;
        ++next;
        const QByteArray flags = '%' + m.captured(1).toLatin1();
        if (QStringLiteral("dioxXu").contains(type)) {
            const long long whole = std::isfinite(argument) ? (long long)std::trunc(argument) : 0;
            result += QString::asprintf((flags + "ll" + char(type.unicode())).constData(), whole);
        } else {
            result += QString::asprintf((flags + char(type.unicode())).constData(), argument);
        }
    }
    result += format.mid(position);
    return result;
}

void PowerWatchStep(std::span<PowerStateEntry, PowerStateCount> table, uint8_t &bcStatus, TPowerWatchState &state,
                    TPowerTick &tick) {
    state.PowerFaultShown = false;
    const PowerStateEntry &battery = table[0];
    const PowerStateEntry &status = table[1];
    // An entry that was never read holds the no-value sentinel, whose bits mean nothing.
    const bool statusRead = status.Value != NoValue;
    const int statusBits = statusRead ? int(std::trunc(status.Value)) : 0;

    if (statusRead && !(statusBits & BattLowBit))
        if (!RaiseFatalWarning(
                FormatWarning(table[2].WarningFormat, table[2].Value, table[2].LowLimit, table[2].HighLimit), tick))
            return;
    if (bcStatus) {
        bcStatus = 0;
        if (!RaiseFatalWarning(QStringLiteral("Перегрев БК. Аварийное отключение."), tick))
            return;
    }

    const bool external = statusRead && (statusBits & ExternalSupplyBit);
    const bool good = (external ? table[6].Ok : battery.Ok) != 0;
    const int code = (external ? 0 : 1) | (good ? 2 : 4);
    if (code != state.LastCode || battery.Value != state.LastBattery) {
        if (code == 2 || code == 4)
            state.BatteryIcon = 0;
        else if (code == 3)
            state.BatteryIcon = BatteryIconFor(battery.Value);
        else
            state.BatteryIcon = state.BatteryIcon == 5 ? 6 : 5;
        state.LastCode = code;
        state.LastBattery = battery.Value;
        tick.Changed = true;
    }

    for (int i = 0; i < PowerStateCount && !tick.StopRequested; ++i) {
        if (i == 1 || i == 2 || (external && (i == 0 || i == 5)))
            continue;
        PowerStateEntry &entry = table[std::size_t(i)];
        if (entry.Ok != 0)
            continue;
        tick.Warning = FormatWarning(entry.WarningFormat, entry.Value, entry.LowLimit, entry.HighLimit);
        if (entry.WarnState == 0) {
            // 0 means "no countdown", so a start at tick 0 is kept as 1.
            entry.WarnState = int32_t(std::max<uint32_t>(tick.Now, 1));
            if (tick.BatchMode) {
                tick.BatchLines << tick.Warning;
                tick.FinishBatch = true;
            }
        }
        const uint32_t elapsed = (tick.Now - uint32_t(entry.WarnState)) / 1000;
        const int remaining = int(std::max<int64_t>(0, int64_t(PowerFaultSeconds) - int64_t(elapsed)));
        tick.Countdown = QString::asprintf("%02d:%02d", remaining / 60, remaining % 60);
        tick.Beep = true;
        tick.Changed = true;
        state.PowerFaultShown = true;
        if (remaining == 0) {
            if (!tick.TechnologyMode)
                tick.StopRequest = true;
            else if (!tick.BatchMode)
                tick.ArmMessageTimer = true;
        }
        break;
    }
}

QString PowerText(const TPowerWatchState &state, const PowerStateEntry &battery) {
    if (state.BatteryIcon == 0)
        return QStringLiteral("Прибор питается от сети");
    const QString charge =
        battery.Value == NoValue ? QString() : QString::asprintf("%d%%", int(std::trunc(battery.Value)));
    return charge + (state.BatteryIcon > 4 ? QStringLiteral(" - Аккумулятор необходимо зарядить!")
                                           : QStringLiteral(" - Прибор питается от аккумулятора"));
}
