#include "storage/LegacyConfiguration.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "state/MainGlobals.h"
#include "storage/SettingsSnapshot.h"
#include "storage/SettingsSnapshotApply.h"

#include <QBuffer>

namespace {

void ReportLegacyFailure(const QString &text) {
    ShowMessage({text, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok, BatchCloseCode, 0});
}

QString VersionShown(const QByteArray &version) {
    return QString::fromLatin1(version.constData(), qsizetype(qstrnlen(version.constData(), uint(version.size()))));
}

} // namespace

bool LegacyVersionAccepted(const QByteArray &version) {
    return CompareVersionText(version, OldestConfigVersionText) >= 0 &&
           CompareVersionText(version, ProgramVersionText.toLatin1().constData()) <= 0;
}

QString LegacyVersionMessage(const QString &fileName, const QByteArray &version) {
    return QStringLiteral("Версия файла конфигурации:\n") + fileName + QStringLiteral(":   [") + VersionShown(version) +
           QStringLiteral("]\nне совпадает с версией программы R9:   [") + ProgramVersionText + QStringLiteral("]") +
           QStringLiteral("\n\nДля конвертации файла конфигурации") +
           QStringLiteral("\nнеобходимо использовать программу R-9 версии [3.xx]") +
           QStringLiteral("\nДля этого загрузите конфигурацию в программе R-9 версии [3.хх]") +
           QStringLiteral("\nи сохраните еще раз под тем же именем.");
}

bool ReadLegacyVersion(QBuffer &stream, const QString &fileName, QByteArray &version) {
    version = stream.read(VersionTextSize);
    version.resize(VersionTextSize, '\0');
    if (LegacyVersionAccepted(version))
        return true;
    ReportLegacyFailure(LegacyVersionMessage(fileName, version));
    return false;
}

bool ApplyLegacySnapshot(QBuffer &stream, const QString &fileName, const QByteArray &version) {
    const SnapshotMode mode = PlaybackOn ? SnapshotMode::PlaybackConfiguration : SnapshotMode::Configuration;
    QString error;
    if (ApplySettingsSnapshot(stream, mode, version, &error))
        return true;
    ReportLegacyFailure(fileName + QStringLiteral(":\n") + error);
    return false;
}
