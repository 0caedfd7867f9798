#include "shell/FileChoice.h"

#include <QDir>
#include <QFileDialog>

namespace {

FileChoiceHandler &Handler() {
    static FileChoiceHandler handler;
    return handler;
}

} // namespace

void SetFileChoiceHandler(FileChoiceHandler handler) {
    Handler() = std::move(handler);
}

QString ChooseFile(QWidget *owner, const TFileChoice &choice) {
    if (Handler())
        return Handler()(choice);
    const QString start = QDir(choice.Folder).filePath(choice.FileName);
    if (choice.Save)
        return QFileDialog::getSaveFileName(owner, choice.Title, start, choice.Filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    return QFileDialog::getOpenFileName(owner, choice.Title, start, choice.Filter);
}
