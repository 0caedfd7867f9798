#include "engine/masks/TMASK.h"

#include "engine/masks/MaskCombine.h"
#include "engine/masks/MaskFile.h"

#include <QFileInfo>

void TMASK::LoadFiles(TMaskFileChooser &chooser) {
    for (int i = 0; i < Names.size();) {
        const QString path = Paths.value(i);
        if (!QFileInfo::exists(path)) {
            const QString replacement = chooser.ReplaceMissing(path);
            if (!replacement.isEmpty()) {
                Paths[i] = replacement;
                continue;
            }
        } else {
            const TMaskFileContents contents = ReadMaskPoints(path);
            if (contents.Error.isEmpty()) {
                CombineMaskPoints(*this, i, contents.Points);
                ++i;
                continue;
            }
            chooser.ReportDamaged(path, contents.Error);
        }
        chooser.Dropped(i);
        Names.removeAt(i);
        if (i < Paths.size())
            Paths.removeAt(i);
    }
}
