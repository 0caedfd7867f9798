#pragma once

#include "storage/ConfigurationServices.h"
#include "storage/DeviceSettingsKeys.h"
#include "storage/FilePaths.h"
#include "storage/SettingsSnapshotApply.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "state/SettingsLoadState.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <vector>

// A program folder with its mask folder and a last mask folder elsewhere, a live settings record, the
// parameter tables, masks and name lists put back after each test, and the messages recorded instead of
// shown.
class ConfigFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Masks")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Other")));
        maskDir = root.path() + QStringLiteral("/Masks/");
        dirMaskFile = root.path() + QStringLiteral("/Other/");
        live = DefaultDeviceSettings();
        DeviceSettings = &live;
        BuildParamCatalogue();
        ProgramVersionText = QStringLiteral("V6.11");
        for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int32_t i = 0; i < table.RowCount; ++i)
                savedRows.push_back(table.Rows[i]);
        }
        FreeAllMasks();
        MaskNameList.clear();
        FileNameList.clear();
        SettingsLoadState = 1;
        ConfigurationServices() = {};
        SnapshotServices() = {};
        SnapshotServices().MaskDir = [this] { return maskDir; };
        ConfigurationServices().DirMaskFile = [this] { return dirMaskFile; };
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request.text);
            return int(IdOk);
        });
        SetFilePathQuestions({[](const QString &, const QString &) { return 0; },
                              [this](const QString &) {
                                  ++fileDialogs;
                                  return replacement;
                              }});
    }
    void TearDown() override {
        std::size_t at = 0;
        for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int32_t i = 0; i < table.RowCount; ++i)
                table.Rows[i] = savedRows[at++];
        }
        FreeAllMasks();
        MaskNameList.clear();
        FileNameList.clear();
        SetWeightingCurve(0, nullptr, nullptr);
        ConfigurationServices() = {};
        SnapshotServices() = {};
        SetMessageBoxHandler({});
        SetBatchMessageSink({});
        SetFilePathQuestions({});
        DeviceSettings = previous;
        SettingsLoadState = 1;
    }

    ConfigFileNames Names() { return {maskDir, &FileNameList, dirMaskFile}; }
    QString ConfigName(const QString &name = QStringLiteral("c.cfg")) const { return root.path() + u'/' + name; }

    QString WriteFile(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    QByteArray ReadFile(const QString &path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The first row of any table that matches.
    static ParamDescriptor *FindRow(const std::function<bool(const ParamDescriptor &)> &match,
                                    QString *tableName = nullptr) {
        static const char16_t *names[] = {u"SIN", u"SIN2", u"МЧС", u"ПСС", u"ШУМ", u"МИРВАК", u"SYNC"};
        for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int32_t i = 0; i < table.RowCount; ++i)
                if (match(table.Rows[i])) {
                    if (tableName)
                        *tableName = QString::fromUtf16(names[kind - 1]);
                    return &table.Rows[i];
                }
        }
        return nullptr;
    }
    static ParamDescriptor *MaskRow(QString *tableName = nullptr) {
        return FindRow([](const ParamDescriptor &r) { return r.TextNorms == 1 && r.MaskSlot >= 0; }, tableName);
    }

    QTemporaryDir root;
    QString maskDir, dirMaskFile, replacement;
    TDeviceSettings live;
    TDeviceSettings *previous = DeviceSettings;
    std::vector<ParamDescriptor> savedRows;
    std::vector<QString> boxes;
    int fileDialogs = 0;
};
