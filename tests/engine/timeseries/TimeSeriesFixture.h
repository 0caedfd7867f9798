#pragma once

#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/SettingsLoadState.h"

#include <gtest/gtest.h>

#include <vector>

// The catalogue built afresh, a meter connected, no series bound, the clock at a fixed day, and every
// message box answered and remembered.
class TimeSeriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        Settings = DefaultDeviceSettings();
        Settings.ConnectionType = 2;
        DeviceSettings = &Settings;
        SettingsLoadState = 1;
        ReleaseAllTimeSeries();
        TimeSeriesViews() = {};
        DTIME_SIGNAL = DefaultTimeSpan;
        TimeSeriesClearRequest = {};
        NowStamp = Day;
        SetMessageBoxHandler([this](const MessageRequest &request) {
            Messages.push_back(request.text);
            return int(IdOk);
        });
    }
    void TearDown() override {
        ReleaseAllTimeSeries();
        TimeSeriesViews() = {};
        SetMessageBoxHandler({});
        DeviceSettings = nullptr;
    }

    // The first row of a kind's table with the parameter id.
    static ParamDescriptor &Row(int32_t kind, int16_t paramId) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            if (table.Rows[i].ParamId == paramId)
                return table.Rows[i];
        ADD_FAILURE() << "no row " << paramId << " in table " << kind;
        return table.Rows[0];
    }
    // A row of the SIN table switched on for a time diagram.
    static ParamDescriptor &DiagramRow(int16_t paramId) {
        ParamDescriptor &row = Row(1, paramId);
        row.Settings.Analyse = 1;
        row.Settings.TimeDiagram = 1;
        return row;
    }
    static int BoundCount() {
        int count = 0;
        for (const auto &series : TimeSeriesSlots)
            count += series != nullptr;
        return count;
    }

    static constexpr double Day = 46000.0; // a TDateTime in 2025
    static constexpr double Second = 1.0 / 86400;
    TDeviceSettings Settings{};
    std::vector<QString> Messages;
};
