#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty program folder for one test: ProgramDir() points at it while the object lives.
class TempProgramDir {
public:
    TempProgramDir() : previous_(qgetenv("R9_PROGRAM_DIR")) { qputenv("R9_PROGRAM_DIR", dir_.path().toLocal8Bit()); }
    ~TempProgramDir() {
        if (previous_.isEmpty())
            qunsetenv("R9_PROGRAM_DIR");
        else
            qputenv("R9_PROGRAM_DIR", previous_);
    }
    TempProgramDir(const TempProgramDir &) = delete;
    TempProgramDir &operator=(const TempProgramDir &) = delete;

    QString path(const QString &name = {}) const { return dir_.path() + '/' + name; }

    QByteArray read(const QString &name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString &name, const QByteArray &bytes) const {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};
