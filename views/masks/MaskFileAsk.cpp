#include "views/masks/MaskFileAsk.h"

#include "platform/MessageService.h"

#include <QFileDialog>
#include <QFileInfo>

QString TMaskFileAsk::ReplaceMissing(const QString &path) {
    ShowMessage({QStringLiteral("Файл '") + path + QStringLiteral("' не найден!\nУкажите путь к файлу или его замену!"),
                 QStringLiteral("Ошибка!"), MsgIcon::Warning, MsgButtons::Ok});
    const QFileInfo info(path);
    const QString pattern = QStringLiteral("*.") + info.suffix();
    const QString filter = pattern + QStringLiteral(" (") + pattern + QLatin1Char(')');
    const QString start = info.absolutePath() + QLatin1Char('/') + info.fileName();
    if (AskOpenFileName)
        return AskOpenFileName(owner_, start, filter);
    return QFileDialog::getOpenFileName(owner_, QString(), start, filter);
}

void TMaskFileAsk::ReportDamaged(const QString &path, const QString &reason) {
    ShowMessage({QStringLiteral("Файл '") + path + QStringLiteral("' не является файлом маски (") + reason +
                     QStringLiteral(") и не загружен!"),
                 QStringLiteral("Ошибка!"), MsgIcon::Warning, MsgButtons::Ok});
}
