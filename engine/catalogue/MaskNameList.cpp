#include "engine/catalogue/MaskNameList.h"

QStringList MaskNameList;

void StoreMaskName(int16_t &index, const QString &names) {
    if (index >= 0 && index < MaskNameList.size()) {
        MaskNameList[index] = names;
        return;
    }
    MaskNameList << names;
    index = int16_t(MaskNameList.size() - 1);
}

QString MaskNameAt(int16_t index) {
    return index >= 0 && index < MaskNameList.size() ? MaskNameList[index] : QString();
}
