#include "platform/StringTable.h"

#include "platform/StringTableTexts.h"

#include <algorithm>

QString LoadStr(int number) {
    const auto entries = StringTableEntries();
    const auto found = std::lower_bound(entries.begin(), entries.end(), number,
                                        [](const StringTableEntry &entry, int n) { return entry.number < n; });
    if (found == entries.end() || found->number != number)
        return QString();
    return QString::fromUtf16(found->text);
}
