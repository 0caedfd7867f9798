#include "engine/catalogue/MaskNameList.h"

QStringList MaskNameList;

void StoreMaskName(int16_t &index, const QString &name) {
    if (index >= 0 && index < MaskNameList.size()) {
        MaskNameList[index] = name;
        return;
    }
    MaskNameList << name;
    index = int16_t(MaskNameList.size() - 1);
}
