// Any bytes as an INI file: parsing, every lookup and a rewrite must neither crash nor lose the
// untouched bytes.
#include "platform/IniDocument.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc(bytes);
    const QByteArray back = doc.ToBytes();
    if (back != bytes)
        std::abort();
    for (const QString &section : doc.Sections()) {
        for (const QString &key : doc.Keys(section))
            doc.Value(section, key);
        doc.SectionValues(section);
    }
    doc.SetValue(QStringLiteral("Fuzz"), QStringLiteral("Key"), QStringLiteral("Value"));
    IniDocument reread(doc.ToBytes());
    if (reread.Value(QStringLiteral("Fuzz"), QStringLiteral("Key")) != QStringLiteral("Value"))
        std::abort();
    return 0;
}
