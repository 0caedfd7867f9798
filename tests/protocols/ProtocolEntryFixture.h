#pragma once

#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "protocols/Form_cmt.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "settings/remote/RemoteParamRecords.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include "support/TempProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

// 15.03.2013 at the given time of day.
inline TDateTime March15(int hour, int minute, int second) {
    return EncodeDate(2013, 3, 15) + EncodeTime(hour, minute, second, 0);
}

// A results block written byte by byte as the snapshot lays it out: a header of the given kind and time,
// a connection type 3 and a SIN generator, and count rows whose row 0 (quality) holds quality and row 1
// (compliance) the verdict.
class ResultsBlock {
public:
    template <typename T> ResultsBlock &Put(T value) {
        uint8_t bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        Bytes.insert(Bytes.end(), std::begin(bytes), std::end(bytes));
        return *this;
    }
    ResultsBlock(TDateTime time, int kind, int count, float quality = 12.5f, uint8_t verdict = 1) {
        Put(time).Put(uint8_t(kind)).Put(uint8_t(3)).Put(uint8_t(1)).Put(uint16_t(0)).Put(uint8_t(0));
        Put(uint16_t(0)).Put(uint8_t(0)).Put(uint8_t(2)).Put(2.5f).Put(1024.0f).Put(uint8_t(0)).Put(uint8_t(1));
        Put(uint8_t(count));
        for (int i = 0; i < count; ++i) {
            Put(i == 0 ? quality : NoValue).Put(NoValue).Put(uint8_t(i == 1 ? verdict : 3));
            Put(uint8_t(0)).Put(uint8_t(0)).Put(uint8_t(0));
        }
    }
    std::vector<uint8_t> Bytes;
};

// The next protocol dialog is answered by act once it shows.
inline void WhenDialogShows(std::function<void(TForm_Cmt &)> act) {
    QTimer::singleShot(0, [act] {
        if (Form_Cmt)
            act(*Form_Cmt);
    });
}

// A protocol written in a program folder of its own by instance 1, with Fmax 1024 kHz and connection type
// 3, no batch control and no peer; message boxes are collected, not shown. The protocol's globals are put
// back afterwards.
class ProtocolEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings_ = DeviceSettings;
        savedInstance_ = InstanceNumber;
        BuildParamCatalogue();
        Settings = DefaultDeviceSettings();
        Settings.MaxFrequency = 1024;
        Settings.SampleRate = 2560;
        Settings.ConnectionType = 3;
        Settings.PeerConnectState = 0;
        Settings.Mirvak.RunState = 0;
        Settings.SyncGenState = 0;
        Settings.WeightingIndex = -1;
        DeviceSettings = &Settings;
        InstanceNumber = 1;
        ResetProtocol();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return answer;
        });
    }

    void TearDown() override {
        SetMessageBoxHandler({});
        ResetProtocol();
        DeviceSettings = savedSettings_;
        InstanceNumber = savedInstance_;
    }

    static void ResetProtocol() {
        ProtocolState = 0;
        UnderRemoteControl = 0;
        ProtocolComment.clear();
        ProtocolFilePaths = {};
        ProtocolFileNames = {};
        Stopping = false;
        LastDataTime = 0;
        PeerScenario = TPeerScenario();
        ProtocolScenario() = TProtocolScenario();
        ProtocolHost() = TProtocolHost();
        ProtocolDirReport().clear();
    }

    // A holder with a ready SIN block at the time.
    static TProtocolSnapshot Ready(TDateTime time, int kind = 1, float quality = 12.5f, uint8_t verdict = 1) {
        TProtocolSnapshot holder;
        holder.Results = ResultsBlock(time, kind, ParamTableRowCounts[kind], quality, verdict).Bytes;
        holder.HasData = 1;
        holder.MasterDone = 1;
        return holder;
    }

    void Entry(TDateTime time, const QString &comment = {}, int remote = 0) {
        TProtocolSnapshot holder = Ready(time);
        AddProtocolEntry(remote, holder, 0, comment);
    }

    QString Work(const QString &name = {}) const { return dir.path(QStringLiteral("Report/Temp1/") + name); }
    static QByteArray Read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QString Text(const QString &path) { return FromCp1251(Read(path)); }
    static QStringList Files(const QString &folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

    TempProgramDir dir;
    TDeviceSettings Settings{};
    std::vector<MessageRequest> messages;
    int answer = IdOk;

private:
    TDeviceSettings *savedSettings_ = nullptr;
    int32_t savedInstance_ = 0;
};
