#pragma once

#include <span>

struct StringTableEntry {
    int number;
    const char16_t *text;
};

// The program's numbered texts, in ascending order of number.
std::span<const StringTableEntry> StringTableEntries();
