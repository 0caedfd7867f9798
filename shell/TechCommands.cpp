#include "shell/TechCommands.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<TechCommand, 49> Xilinx = {{
    {"Резервная ", 0},
    {"DecInterp0", 0x0},
    {"DecInterp1", 0x1},
    {"DecInterp2", 0x2},
    {"DecInterp3", 0x3},
    {"DecInterp4", 0x4},
    {"DecInterp5", 0x5},
    {"ON_PWR_IZM_Delay", 0x6},
    {"OFF_PWR_IZM_Delay", 0x7},
    {"DecInterp0_DDS", 0xA},
    {"DecInterp1_DDS", 0xB},
    {"DecInterp2_DDS", 0xC},
    {"DecInterp3_DDS", 0xD},
    {"DecInterp4_DDS", 0xE},
    {"DecInterp5_DDS", 0xF},
    {"Sync_Positive_Edge", 0xF6},
    {"Sync_Negative_Edge", 0x1F6},
    {"Sync_Positive_Negative_Reset", 0xF7},
    {"Sync_Meter_P_N", 0x2F6},
    {"Sync_Meter_P_N_Reset", 0x2F7},
    {"Clk_Range_10240kHz", 0xF8},
    {"Clk_Range_5120kHz", 0x1F8},
    {"Clk_Range_2560kHz", 0x2F8},
    {"Clk_Range_1280kHz", 0x3F8},
    {"Clk_Range_640kHz", 0x4F8},
    {"Clk_Range_320kHz", 0x5F8},
    {"Clk_Range_DDS", 0x6F8},
    {"Clk_Range_0", 0x7F8},
    {"Select_DDS", 0x7F9},
    {"Select_EEPROM", 0x7FA},
    {"ON_PWR_572", 0xF9},
    {"ON_PWR_IZM", 0x1F9},
    {"ON_PWR_GEN", 0x2F9},
    {"Active_Reset_572", 0x3F9},
    {"Active_DAC", 0x4F9},
    {"Active_ADC", 0x5F9},
    {"Active_Check_Phase", 0x6F9},
    {"Active_Reset_Soft", int16_t(0xFFF9)},
    {"Passive_Reset_Soft", int16_t(0xFFFA)},
    {"OFF_PWR_572", 0xFA},
    {"OFF_PWR_IZM", 0x1FA},
    {"OFF_PWR_GEN", 0x2FA},
    {"Passive_Reset_572", 0x3FA},
    {"Passive_DAC", 0x4FA},
    {"Passive_ADC", 0x5FA},
    {"DLoop_IO_Off", 0xFB},
    {"DLoop_IO_On", 0xFC},
    {"LED_Off", 0xFE},
    {"LED_On", 0xFF},
}};

// Every impedance relay pair switches on with the code one above its off code; "ZMeter_600_On" follows
// that rule (1B), since the off code 1A would switch the 600 Ohm meter load off when asked to switch it on.
constexpr std::array<TechCommand, 53> Relay = {{
    {"Резервная ", 0},         {"Socket", 0x0},           {"BNC", 0x1},
    {"Socket_Gen", 0xA},       {"BNC_Gen", 0xB},          {"Socket_Meter", 0xC},
    {"BNC_Meter", 0xD},        {"Gen_RTx_off", 0x2},      {"Gen_RTx_on", 0x3},
    {"Gen_Tx_off", 0x4},       {"Gen_Tx_on", 0x5},        {"Meter_RTx_off", 0x6},
    {"Meter_RTx_on", 0x7},     {"Simmetr_RTx_off", 0x8},  {"Simmetr_RTx_on", 0x9},
    {"Socet_GND", 0x10},       {"BC_GND", 0x11},          {"ZMeter_100_Off", 0x14},
    {"ZMeter_100_On", 0x15},   {"ZMeter_120_Off", 0x18},  {"ZMeter_120_On", 0x19},
    {"ZMeter_135_Off", 0x16},  {"ZMeter_135_On", 0x17},   {"ZMeter_600_Off", 0x1A},
    {"ZMeter_600_On", 0x1B},   {"GainGen_Off", 0x20},     {"GainGen_On", 0x21},
    {"ZGen_100_Off", 0x24},    {"ZGen_100_On", 0x25},     {"ZGen_120_Off", 0x28},
    {"ZGen_120_On", 0x29},     {"ZGen_135_Off", 0x26},    {"ZGen_135_On", 0x27},
    {"ZGen_600_Off", 0x2A},    {"ZGen_600_On", 0x2B},     {"ZGen_3_Off", 0x2C},
    {"ZGen_3_On", 0x2D},       {"AttMeter_On", 0x30},     {"AttMeter_40dB", 0x23},
    {"AttMeter_20dB", 0x22},   {"AttMeter_0dB", 0x31},    {"GainMeter_5dB", 0x40},
    {"GainMeter_25dB", 0x41},  {"AttGen_0dB", 0x44},      {"AttGen_40dB", 0x45},
    {"FirMeter7000_On", 0x50}, {"FirMeter1010_On", 0x51}, {"FirGen8500_On", 0x52},
    {"FirGen2150_On", 0x53},   {"FirGen540_On", 0x54},    {"ASW_type", 0x70},
    {"ASW_Ver", 0x71},         {"ASW_Status", 0x72},
}};

constexpr std::array<BcCommand, 20> Bc = {{
    {"Резервная ", 0, 0},
    {"BC_Power_On", 0x1, 1},
    {"BC_Power_Off", 0x0, 0},
    {"Состояние БK = 0", 0x0, 1},
    {"BC_ZGen_75", 0x1, 0},
    {"BC_ZGen_0", 0x1, 1},
    {"BC_AttGen_20dB", 0x2, 0},
    {"BC_AttGen_0dB", 0x2, 1},
    {"BC_Gen_TX_on", 0x4, 0},
    {"BC_Gen_TX_off", 0x4, 1},
    {"BC_Gen_RTX_on", 0x8, 0},
    {"BC_Gen_bridge_on", 0x8, 1},
    {"BC_Meter_bridge_off", 0x10, 0},
    {"BC_Meter_bridge_on", 0x10, 1},
    {"BC_AttMeter_30dB", 0x20, 0},
    {"BC_AttMeter_0dB", 0x20, 1},
    {"BC_ZMeter_14K", 0x40, 0},
    {"BC_ZMeter_75", 0x40, 1},
    {"BC_MeterSync_off", 0x80, 0},
    {"BC_MeterSync_on", 0x80, 1},
}};

} // namespace

std::span<const TechCommand> XilinxCommands() {
    return Xilinx;
}

std::span<const TechCommand> RelayCommands() {
    return Relay;
}

std::span<const BcCommand> BcCommands() {
    return Bc;
}

QString TechCodeText(int16_t code) {
    return QStringLiteral("0x") + QString::asprintf("%02X", unsigned(int(code)));
}

QString BcMaskText(uint8_t mask) {
    return QStringLiteral("0x") + QString::asprintf("%X", unsigned(mask));
}

std::optional<uint32_t> ParseTechCode(const QString &text, uint32_t largest) {
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const uint32_t value = digits.toUInt(&ok, 16);
    // toUInt accepts a sign and blanks inside; only plain hexadecimal digits are a code.
    for (const QChar c : digits)
        if (!std::isxdigit(c.toLatin1()))
            return std::nullopt;
    if (!ok || value > largest)
        return std::nullopt;
    return value;
}
