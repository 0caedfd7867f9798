#pragma once

#include "protocols/ScenarClass.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The binary scenario files of older program versions, read only (little-endian, windows-1251 texts):
// repeat kind, interval and count, the comment, the row count, in results files the scenario's path,
// then per row its configuration path and flags.

struct LegacyScenarioRow {
    QString ConfigPath;
    ScenarioRow Row; // Prt, LegacyFactor, RemotePrt, LegacyValue, PauseBefore and PauseMessage read
};

struct LegacyScenario {
    int16_t RepeatKind = 0;
    int32_t RepeatInterval = 0;
    int16_t RepeatCount = 0;
    QString Comment;
    QString Name; // results files only
    std::vector<LegacyScenarioRow> Rows;
    // False when the file ended inside an item: what came before it is kept, whole rows only.
    bool Complete = true;
};

// Every length and count is checked against the bytes left; nothing is read past the end.
LegacyScenario ReadLegacyScenario(const QByteArray &bytes, bool withResults);
