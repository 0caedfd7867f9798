#include "CatalogueFixture.h"

#include "chartlib/Chartlib.h"
#include "state/ProgramSettings.h"

namespace {

// The catalogue start puts back the program settings a configuration or the dialog had changed, and the
// precision text with them.
TEST_F(Catalogue, StartRestoresProgramSettingsAndPrecisionText) {
    ProgramSettings.Precision = 5;
    ProgramSettings.AutoProtocol = 1;
    ProgramSettings.UseRecordedSettings = 0;
    SetPrecisionZeros(5);
    BuildParamCatalogue();
    EXPECT_EQ(ProgramSettings.Precision, 2);
    EXPECT_EQ(ProgramSettings.AutoProtocol, 0);
    EXPECT_EQ(ProgramSettings.UseRecordedSettings, 1);
    EXPECT_EQ(PrecisionZeros, "00");
    EXPECT_EQ(FormatValue(1.0 / 3.0), "0.33");
}

} // namespace
