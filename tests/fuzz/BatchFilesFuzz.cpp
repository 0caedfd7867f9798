// Any bytes as a batch schedule and as the command mailbox. Neither reader may crash; the schedule leaves
// a result folder that ends in its separator, and only the codes of its faults; the mailbox line is one
// line, split at its first "=".
#include "protocols/PackageWork.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

const QTemporaryDir &Folder() {
    static const QTemporaryDir folder;
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    qputenv("R9_PROGRAM_DIR", Folder().path().toLocal8Bit());
    const QString schedule = Folder().filePath(QStringLiteral("plan.lst"));
    {
        QFile file(schedule);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
    }
    {
        TPackageWork work(schedule);
        work.ParseSchedule();
        if (!work.ResultPath.isEmpty() && !work.ResultPath.endsWith(u'/'))
            std::abort();
        if (work.ResultCode != 0 && work.ResultCode != -2 && work.ResultCode != -5)
            std::abort();
    }
    QFile::remove(Folder().filePath(QStringLiteral("R9_307.msg")));

    if (const std::optional<MailboxLine> line = ReadMailboxLine(bytes)) {
        if (line->Text.contains(u'\n') || line->Text.contains(u'\r') || line->Command != line->Command.trimmed() ||
            line->Argument.startsWith(u' ') || line->Command.contains(u'='))
            std::abort();
    }
    return 0;
}
