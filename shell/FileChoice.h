#pragma once

#include <QString>

#include <functional>

class QWidget;

// A file dialog of the main window's commands. The filter is in Qt's form ("Text (*.txt)"). A save
// dialog does not ask before overwriting: the command asks in its own words.
struct TFileChoice {
    bool Save = false;
    QString Title;
    QString Filter;
    QString Folder;   // where the dialog opens
    QString FileName; // the name it proposes
};

// The chosen file's path, empty when the dialog was cancelled.
QString ChooseFile(QWidget *owner, const TFileChoice &choice);

// Tests answer the dialogs themselves; an empty handler restores the dialog.
using FileChoiceHandler = std::function<QString(const TFileChoice &)>;
void SetFileChoiceHandler(FileChoiceHandler handler);
