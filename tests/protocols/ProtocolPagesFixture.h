#pragma once

#include "engine/MeterRange.h"
#include "engine/catalogue/MaskNameList.h"
#include "platform/Cp1251.h"
#include "protocols/ProtocolState.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"

#include "support/TempProgramDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

// An entry being written into a protocol folder of its own: a settings record at Fs 2560 kHz (Fmax
// 1024 kHz) with a SIN generator, a block header of an own SIN entry at 10:22:05 on 15.03.2013, and the
// page names and paths of instance 1. Every global the pages read is put back afterwards.
class ProtocolPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings_ = DeviceSettings;
        savedInstance_ = InstanceNumber;
        savedHeader_ = ProtocolHeader;
        std::copy(std::begin(RangeMaxLevels), std::end(RangeMaxLevels), savedLevels_);
        savedFiles_ = FileNameList;
        savedMasks_ = MaskNameList;

        Settings = DefaultDeviceSettings();
        Settings.MaxFrequency = 1024;
        Settings.SampleRate = 2560;
        Settings.ConnectionType = 3;
        Settings.MeterImpedance = 600;
        Settings.MeterRef = 0;
        Settings.RefPresets = 0x0101;
        Settings.WeightingIndex = -1;
        Settings.Mirvak.RunState = 0;
        Settings.SyncGenState = 0;
        DeviceSettings = &Settings;
        InstanceNumber = 1;
        FileNameList.clear();
        MaskNameList.clear();

        ProtocolHeader = TProtocolHeader();
        ProtocolHeader.Kind = 1;
        ProtocolHeader.ConnectionType = 3;
        ProtocolHeader.GeneratorKind = 1;
        ProtocolHeader.GenImpedance = 600;
        ProtocolHeader.MeterImpedance = 600;
        ProtocolHeader.MaxLevelIndex = 2;
        ProtocolHeader.F0 = 2.5f;
        ProtocolHeader.F1 = 1024;
        ProtocolHeader.StepFactor = 1;

        ProtocolStampText = QStringLiteral("15.03.13 10:22:05 ");
        ProtocolPageStamp = QStringLiteral("15.03.13_10:22:05__1");
        ProtocolKindName = QStringLiteral("SIN");
        ProtocolConnName = QStringLiteral("2_Г_И_симм");
        ProtocolRateName = QStringLiteral("1024 кГц");
        ProtocolEntryTitle = QStringLiteral("<NOBR>15.03.13 10:22:05 </NOBR> <NOBR>SIN/2_Г_И_симм/1024 кГц</NOBR>");
        const QStringList names = {QStringLiteral("_Start_1.html"), QStringLiteral("cnt0_1.html"),
                                   QStringLiteral("cnt1_1.html"), QStringLiteral("150313 102205 _data_1.html"),
                                   QStringLiteral("150313 102205 _sett_1.html")};
        for (int i = 0; i < ProtocolPageCount; ++i) {
            ProtocolFileNames[std::size_t(i)] = names[i];
            ProtocolFilePaths[std::size_t(i)] = Folder.path(names[i]);
        }
        // The data and settings pages as a new protocol creates them.
        for (const int page : {DataPage, SettingsPage})
            Folder.write(ProtocolFileNames[std::size_t(page)], PageHead.toLatin1());
    }

    void TearDown() override {
        DeviceSettings = savedSettings_;
        InstanceNumber = savedInstance_;
        ProtocolHeader = savedHeader_;
        std::copy(std::begin(savedLevels_), std::end(savedLevels_), std::begin(RangeMaxLevels));
        FileNameList = savedFiles_;
        MaskNameList = savedMasks_;
        for (QString &path : ProtocolFilePaths)
            path.clear();
        for (QString &name : ProtocolFileNames)
            name.clear();
    }

    QByteArray PageBytes(int page) const { return Folder.read(ProtocolFileNames[std::size_t(page)]); }

    // The sections written after the page's head, decoded; a page that is not windows-1251 text with its
    // META line first fails the test.
    QString Sections(int page) const {
        const QByteArray bytes = PageBytes(page);
        const QString text = FromCp1251(bytes);
        EXPECT_EQ(ToCp1251(text), bytes);
        EXPECT_TRUE(text.startsWith(PageHead));
        return text.mid(PageHead.size());
    }

    // Leaves a page and the pictures beside it in the folder R9_SCREENSHOTS names, for a look in a browser.
    void KeepPage(int page) const {
        const QString target = qEnvironmentVariable("R9_SCREENSHOTS");
        if (target.isEmpty())
            return;
        const QDir folder(Folder.path());
        for (const QString &name : folder.entryList({ProtocolFileNames[std::size_t(page)], QStringLiteral("*.jpg")})) {
            QFile::remove(target + '/' + name);
            QFile::copy(folder.filePath(name), target + '/' + name);
        }
    }

    inline static const QString PageHead =
        QStringLiteral("<HEAD><META content=\"text/html; charset=windows-1251\" http-equiv=Content-Type></HEAD>\n");

    TempProgramDir Folder;
    TDeviceSettings Settings{};

private:
    TDeviceSettings *savedSettings_ = nullptr;
    int32_t savedInstance_ = 0;
    TProtocolHeader savedHeader_;
    int16_t savedLevels_[MeterRangeCount] = {};
    QStringList savedFiles_;
    QStringList savedMasks_;
};
