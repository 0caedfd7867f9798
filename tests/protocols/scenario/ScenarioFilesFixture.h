#pragma once

#include "platform/MessageService.h"
#include "protocols/ScenarClass.h"
#include "protocols/ScenarioFiles.h"
#include "state/FileNameList.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

// A program folder of its own with Config/, the file-name pool and the message boxes taken over, and
// the protocol folder and frameset name a results file shares with the protocol.
class ScenarioFilesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedNames_ = FileNameList;
        QDir().mkpath(program.path(QStringLiteral("Config")));
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages << request.text;
            return int(IdCancel);
        });
        savedLinks_ = ScenarioProtocolLinks();
        ScenarioProtocolLinks().DirReport = [this] { return &dirReport; };
        ScenarioProtocolLinks().FramesetName = [this] { return &framesetName; };
    }
    void TearDown() override {
        ScenarioProtocolLinks() = savedLinks_;
        SetMessageBoxHandler({});
        FileNameList = savedNames_;
    }

    // An (empty) file, with its folders.
    QString Touch(const QString &relative) const {
        const QString path = program.path(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }

    int16_t Pool(const QString &path) {
        FileNameList.append(path);
        return int16_t(FileNameList.size() - 1);
    }

    void AddRow(TScenarClass &scenario, const QString &path) {
        ASSERT_TRUE(InsertConfigRow(scenario, scenario.RowCount()));
        scenario.Rows.back().ConfigIndex = Pool(path);
    }

    QString RowPath(const TScenarClass &scenario, int row) const {
        return FileNameList.value(scenario.Rows[std::size_t(row)].ConfigIndex);
    }

    TempProgramDir program;
    QStringList messages;
    QString dirReport = QStringLiteral("/reports/");
    QString framesetName = QStringLiteral("_Start_1.html");

private:
    QStringList savedNames_;
    TScenarioProtocolLinks savedLinks_;
};
