#include "sim/SimRegisterChips.h"

bool SimRegisterChip::Write(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return true;
    if (data[0] >= RegisterCount)
        return false;
    pointer_ = data[0];
    for (std::size_t i = 1; i < size; ++i) {
        if (pointer_ >= RegisterCount)
            return false;
        registers_[pointer_++] = data[i];
    }
    return true;
}

void SimRegisterChip::Read(std::uint8_t *out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = pointer_ < RegisterCount ? registers_[pointer_] : 0xFF;
        if (pointer_ < RegisterCount)
            ++pointer_;
    }
}

void SimRegisterChip::SetRegister(std::uint8_t index, std::uint8_t value) {
    if (index < RegisterCount)
        registers_[index] = value;
}

void SimRegisterChip::SetWord(std::uint8_t index, std::uint16_t value) {
    SetRegister(index, std::uint8_t(value & 0xFF));
    SetRegister(std::uint8_t(index + 1), std::uint8_t(value >> 8));
}

namespace {

// Supply voltages of the main board from register 20 on, in counts of 0.5 mV: the output amplifier,
// USB host, battery, input supply, the analogue paths, digital supply and the BC board's 5 V.
constexpr std::uint16_t SupplyCounts[] = {6600, 10000, 16800, 19000, 6600, 6600, 6600, 10000};

} // namespace

SimRegisterChips::SimRegisterChips() {
    main_.SetRegister(37, 0x62); // identifier 6, version 2 * 100 + 11
    main_.SetRegister(38, 11);
    for (std::uint8_t i = 0; i < 8; ++i)
        main_.SetWord(std::uint8_t(20 + 2 * i), SupplyCounts[i]);
    main_.SetRegister(75, 0x60); // BATT_LOW released, external supply
    main_.SetRegister(76, 85);   // battery charge, %

    bc_.SetRegister(37, 0x71); // identifier 7, version 1 * 100 + 5
    bc_.SetRegister(38, 5);
    for (std::uint8_t i = 0; i < 3; ++i)
        bc_.SetWord(std::uint8_t(20 + 2 * i), 100); // sensor counts of a line driver at about 37 degrees
}

SimRegisterChip *SimRegisterChips::Chip(std::uint8_t address) {
    if (address == MainBoard)
        return &main_;
    if (address == BcBoard)
        return &bc_;
    return nullptr;
}

SimRegisterChip *SimRegisterChips::Find(std::uint8_t address) {
    if (address == BcBoard && !bcSelected_)
        return nullptr;
    return Chip(address);
}
