#include "settings/SettingsRecompute.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "platform/Clock.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <gtest/gtest.h>

namespace {

// A change of settings restarts the automatic protocol with the new interval and keeps the snapshots
// taken so far; during playback the peer's snapshot belongs to the recording and stays as it is.
TEST(SettingsRecompute, RearmsTheAutomaticProtocolAndKeepsTheSnapshots) {
    TDeviceSettings settings = DefaultDeviceSettings();
    TDeviceSettings *previous = DeviceSettings;
    DeviceSettings = &settings;
    VirtualClock clock(5000);
    for (const bool playback : {false, true}) {
        SCOPED_TRACE(playback);
        PlaybackOn = playback;
        for (TProtocolSnapshot *s : {&LocalProtocolSnapshot, &RemoteProtocolSnapshot}) {
            *s = TProtocolSnapshot();
            s->HasData = 1;
            s->Results.assign(413, 7);
        }
        settings.AveragingInterval = 30;
        RecomputeAfterSettings(1);
        const uint64_t now = GetTickCount64();
        EXPECT_EQ(LocalProtocolSnapshot.IntervalSeconds, 30);
        EXPECT_EQ(LocalProtocolSnapshot.NextTick, now + 30000);
        EXPECT_EQ(RemoteProtocolSnapshot.NextTick, playback ? 0 : now + 30000);
        for (TProtocolSnapshot *s : {&LocalProtocolSnapshot, &RemoteProtocolSnapshot}) {
            EXPECT_EQ(s->HasData, 1);
            EXPECT_EQ(s->Results.size(), 413u);
        }
    }
    PlaybackOn = false;
    LocalProtocolSnapshot = TProtocolSnapshot();
    RemoteProtocolSnapshot = TProtocolSnapshot();
    DeviceSettings = previous;
}

} // namespace
