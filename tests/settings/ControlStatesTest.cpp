#include "settings/window/SetDevControlStates.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::map<std::string, bool> StatesOf(const TControlStateInputs &in) {
    std::map<std::string, bool> states;
    ForEachControlState(in, [&](const char *name, bool enabled) { states[name] = enabled; });
    return states;
}

TControlStateInputs Connected(int type) {
    TControlStateInputs in;
    in.ConnectionType = type;
    in.ConnectionKind = 1;
    in.PrecisionItem = 1;
    return in;
}

struct Expectation {
    const char *control;
    bool enabled;
};

struct Case {
    const char *name;
    TControlStateInputs in;
    std::vector<Expectation> expected;
};

TControlStateInputs With(TControlStateInputs in, void (*change)(TControlStateInputs &)) {
    change(in);
    return in;
}

} // namespace

TEST(ControlStates, EnablingTableRows) {
    const Case cases[] = {
        {"disconnected: no generator, analysis mode, master or meter group",
         Connected(0),
         {{"Button_SIN", false}, {"Button_Block", false}, {"RB_Rand", false}, {"RB_Spectr", false},
          {"CBox_Spectr", false}, {"TabSheet_MasterFreq", false}, {"TabSheet_MasterLev", false},
          {"Edit_M9_Z", false}, {"Button_SetCommonParam", false}, {"Edit_SIN_L", false}}},
        {"meter-only connection without a link: generator controls off",
         Connected(2),
         {{"Edit_SIN_L", false}, {"Edit_MTTS_F1", false}, {"Button_SetGen", false}, {"Edit_G9_Z", false},
          {"Button_SIN", false}, {"Edit_M9_Z", true}, {"RB_Spectr", true}}},
        {"meter-only connection with this side's link: the peer's generator is edited here",
         With(Connected(2), [](TControlStateInputs &in) { in.ConnectState = 1; }),
         {{"Edit_SIN_L", true}, {"Edit_SIN2_F1", true}, {"Edit_MTTS_N", true}, {"Button_SetGen", true},
          {"Edit_G9_Z", true}, {"Edit_G9_Ref", true}, {"Button_SIN", false}, {"Button_MTTS", false},
          {"RG_B_Precision", false}}},
        {"coaxial meter-only connection with a link",
         With(Connected(7), [](TControlStateInputs &in) { in.ConnectState = 1; }),
         {{"Edit_NOISE_L", true}, {"Button_NOISE", false}, {"CB_M9_PhasingOn", true}}},
        {"coaxial meter-only connection without a link",
         Connected(7),
         {{"Edit_NOISE_L", false}, {"Button_NOISE", false}, {"Edit_M9_F0", true}}},
        {"full connection: everything but the reference edit of a preset",
         With(Connected(3), [](TControlStateInputs &in) { in.GenRefItem = 2; }),
         {{"Button_SIN", true}, {"Edit_SIN_L", true}, {"Edit_G9_Ref", false}, {"Edit_M9_Ref", true},
          {"CB_M9_PhasingOn", false}, {"Edit_M9_Tunit", false}}},
        {"scenario: buttons stay, every edit of the page goes",
         With(Connected(3), [](TControlStateInputs &in) { in.ScenarioRunning = true; }),
         {{"Button_SIN", true}, {"Button_Block", true}, {"Edit_SIN_L", false}, {"Edit_MTTS_dF", false},
          {"Button_SetGen", false}, {"Edit_M9_Z", false}, {"Button_SetParam", false}, {"Button_CONNECT", true}}},
        {"scenario during a selective run: the buttons go too",
         With(Connected(3), [](TControlStateInputs &in) {
             in.ScenarioRunning = true;
             in.MirvakRunState = 2;
         }),
         {{"Button_SIN", false}}},
        {"selective run: Common, Generator, Meter and master pages off",
         With(Connected(3), [](TControlStateInputs &in) { in.MirvakRunState = 2; }),
         {{"TabSheet_Common", false}, {"TabSheet_Gen", false}, {"TabSheet_Meter", false},
          {"TabSheet_MasterFreq", false}, {"TabSheet_MasterLev", false}, {"Button_SIN", false},
          {"Button_SetCommonParam", false}, {"RB_Rand", false}, {"Button_CONNECT", false}}},
        {"RND on: analysis mode fixed",
         With(Connected(3), [](TControlStateInputs &in) { in.RndState = 2; }),
         {{"RB_Rand", false}, {"CBox_Spectr", false}, {"RB_Spectr", true}}},
        {"counting: the merge interval is edited, the spectrum size is not",
         With(Connected(3), [](TControlStateInputs &in) { in.EventCounting = true; }),
         {{"Edit_M9_Tunit", true}, {"Label35", true}, {"CBox_Spectr", false}}},
        {"playback without the recorded settings: the meter page stays editable",
         With(Connected(3), [](TControlStateInputs &in) { in.PlaybackOn = true; }),
         {{"Button_SetParam", true}, {"Edit_M9_SpectrStep", true}, {"Edit_M9_Z", false}, {"GB_RemoteControl", false},
          {"Button_CONNECT", true}, {"TabSheet_Gen", false}, {"Button_SIN", true}, {"Edit_SIN_L", true},
          {"Button_SetGen", true}, {"RB_Rand", false}, {"TabSheet_MasterFreq", false}}},
        {"playback with the recorded settings: the meter page is fixed",
         With(Connected(3), [](TControlStateInputs &in) {
             in.PlaybackOn = true;
             in.UseRecordedSettings = true;
         }),
         {{"Button_SetParam", false}, {"Edit_M9_SpectrStep", false}, {"Button_M9_SetParam", false}}},
        {"no exchange: the connect button and the control tone are off",
         With(Connected(3), [](TControlStateInputs &in) {
             in.PrecisionItem = 0;
             in.RemoteLinkAvailable = true;
         }),
         {{"Button_CONNECT", false}, {"Edit_CONNECT_L", false}}},
        {"exchange with a reachable peer",
         With(Connected(3), [](TControlStateInputs &in) { in.RemoteLinkAvailable = true; }),
         {{"Button_CONNECT", true}, {"Edit_CONNECT_F1", true}}},
    };
    for (const Case &c : cases) {
        const std::map<std::string, bool> states = StatesOf(c.in);
        for (const Expectation &e : c.expected) {
            const auto found = states.find(e.control);
            ASSERT_NE(found, states.end()) << c.name << ": " << e.control << " has no row";
            EXPECT_EQ(found->second, e.enabled) << c.name << ": " << e.control;
        }
    }
}

// In playback the generator group's impedance and reference edits keep their state.
TEST(ControlStates, PlaybackLeavesTheGeneratorLoadAlone) {
    TControlStateInputs in = Connected(3);
    in.PlaybackOn = true;
    const std::map<std::string, bool> states = StatesOf(in);
    for (const char *name : {"Edit_G9_Z", "CB_G9_Z_Low", "Edit_G9_Ref"})
        EXPECT_EQ(states.count(name), 0u) << name;
}
