#include "storage/Configuration.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"

#include <QFileInfo>

// Reading and writing the configuration format joins here; until then nothing is loaded or written, and
// the built-in settings stay.

bool LoadConfiguration(const QString &fileName) {
    if (!QFileInfo::exists(fileName))
        ShowMessage({LoadStr(413) + QStringLiteral(" ") + fileName, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
    return false;
}

bool SaveConfiguration(const QString &, int) {
    return false;
}
