#include "CatalogueFixture.h"

TEST_F(Catalogue, EventNormPointersReachTheRandomEventRows) {
    struct EventCase {
        EventNormIndex Index;
        int32_t Kind, Row;
        bool Upper;
        uint8_t Apply;
        float Norm;
    };
    const EventCase cases[] = {
        {EventNoiseTimer, 5, 4, false, 1, 900},  {EventNoiseMaxNoise, 5, 5, true, 0, -40},
        {EventSinTimer, 1, 17, false, 1, 900},   {EventSinMinSignal, 1, 18, false, 0, -40},
        {EventSinMaxNoise, 1, 21, true, 0, -40}, {EventSinMinSnr, 1, 24, false, 0, 20},
        {EventMttsTimer, 3, 10, false, 1, 900},  {EventMttsMinSnr, 3, 11, false, 0, 20},
    };
    for (const EventCase &c : cases) {
        SCOPED_TRACE(c.Index);
        ParamSettings &settings = Row(c.Kind, c.Row).Settings;
        EXPECT_EQ(EventNormPointers.Apply[c.Index], c.Upper ? &settings.ApplyUpper : &settings.ApplyLower);
        EXPECT_EQ(EventNormPointers.Norm[c.Index], c.Upper ? &settings.UpperNorm : &settings.LowerNorm);
        EXPECT_EQ(*EventNormPointers.Apply[c.Index], c.Apply);
        EXPECT_EQ(*EventNormPointers.Norm[c.Index], c.Norm);
    }
}
