#pragma once

#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"

#include <gtest/gtest.h>

#include <string>

// Every test starts from the catalogue as the program builds it at start.
class Catalogue : public ::testing::Test {
protected:
    void SetUp() override { BuildParamCatalogue(); }

    static ParamDescriptor &Row(int32_t kind, int32_t row) { return ParameterTableOf(kind).Rows[row]; }
};

// A switch set as the letters the catalogue's row listing uses ("-PDWLU-", "AP---").
inline std::string AllowedLetters(const ParamDescriptor &row) {
    const uint8_t bits[7] = {row.TextNorms,        row.ProtocolAllowed,  row.TimeDiagramAllowed, row.TextWindowAllowed,
                             row.LowerNormAllowed, row.UpperNormAllowed, row.MarginAllowed};
    std::string text;
    for (int i = 0; i < 7; ++i)
        text += bits[i] == 1 ? "TPDWLUM"[i] : bits[i] == 0 ? '-' : '?';
    return text;
}

inline std::string DefaultLetters(const ParamSettings &s) {
    const uint8_t bits[5] = {s.Analyse, s.Protocol, s.ApplyLower, s.ApplyUpper, s.ComputeMargin};
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += bits[i] == 1 ? "APLUM"[i] : bits[i] == 0 ? '-' : '?';
    return text;
}
