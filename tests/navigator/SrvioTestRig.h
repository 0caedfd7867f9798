#pragma once

#include "navigator/Srvio.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "sim/SimFileServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// COM port 7 of the tests is the simulated file server's pseudo-terminal; its disk is a temporary folder.
class ServerRig {
public:
    static constexpr int Port = 7;

    explicit ServerRig(const SimFileServer::Options &options = SimFileServer::Options())
        : server(dir.path() + "/disk", dir.path() + "/trash", options) {
        SetComPortDevice(Port, server.DevicePath());
    }
    ~ServerRig() { SetComPortDevice(Port, QString()); }

    QString Disk(const QString &name = QString()) const { return dir.path() + "/disk/" + name; }
    QString Local(const QString &name) const { return dir.path() + "/" + name; }
    void Write(const QString &name, const QByteArray &bytes) const {
        QDir().mkpath(QFileInfo(Disk(name)).path());
        QFile file(Disk(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    QByteArray Read(const QString &name) const {
        QFile file(Disk(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    SimFileServer server;
};

// Pumps the main thread's events until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()> &done, std::uint32_t ms = 10000) {
    const std::uint32_t start = GetTickCount();
    while (!done()) {
        if (TicksSince(start) >= ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        Sleep(2);
    }
    return true;
}

// A port whose modem lines the test sets.
class LinePort : public SerialPort {
public:
    bool GetModemLines(ModemLines &lines) override {
        lines = Lines;
        return true;
    }
    bool HasModemLines() override { return true; }
    ModemLines Lines{true, true};
};
