#pragma once

#include "navigator/FileSystem.h"
#include "platform/DriveTable.h"
#include "platform/MessageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>

// Drive X: of the tests is a temporary folder; message boxes are recorded and answered from a queue
// (Yes when it is empty).
class LocalRig {
public:
    LocalRig() {
        SetTestDrive('X', dir.path());
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages << request.text;
            if (answers.empty())
                return int(IdYes);
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
        CancelAll = false;
    }
    ~LocalRig() {
        SetTestDrive('X', QString());
        SetMessageBoxHandler({});
        CancelAll = false;
    }
    QString Path(const QString &relative) const { return dir.path() + "/" + relative; }
    void Write(const QString &relative, const QByteArray &bytes) const {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    QByteArray Read(const QString &relative) const {
        QFile file(Path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    QStringList messages;
    std::deque<int> answers;
};

inline QStringList Captions(const NavigatorListing &view) {
    QStringList captions;
    for (const NavigatorItem &item : view.Items)
        captions << item.Caption + (item.IsDir() ? "/" : (item.SubItems[0].isEmpty() ? "" : "." + item.SubItems[0]));
    return captions;
}
