#include "settings/window/SetDevControlStates.h"

#include "engine/EngineBuffers.h"
#include "settings/remote/RemoteExchange.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"

#include <initializer_list>

namespace {

using Rule = bool (*)(const TControlConditions &, const TControlStateInputs &);

struct ControlRow {
    std::initializer_list<const char *> names;
    Rule enabled;
};

bool GenEditable(const TControlConditions &c) {
    return c.GenAllowed || c.PeerLinked;
}

bool MeterGroup(const TControlConditions &c) {
    return c.MeterAllowed && c.MeterEditable;
}

// The remote group and the Generator page: replaced by the playback rows while a recording plays.
// clang-format off
const ControlRow LiveRows[] = {
    {{"GB_RemoteControl"}, [](const TControlConditions &, const TControlStateInputs &) { return true; }},
    {{"Button_CONNECT"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         return (c.RemoteAvail || in.ScenarioRunning) && in.ConnectionKind != 0 && c.Exchange && !c.SelRun; }},
    {{"Label_CONNECT_L", "Edit_CONNECT_L", "Label8", "Label_CONNECT_F1", "Edit_CONNECT_F1", "Label9",
      "Label_CONNECT_F2", "Edit_CONNECT_F2", "Label16"},
     [](const TControlConditions &c, const TControlStateInputs &) { return c.RemoteAvail && c.Exchange; }},
    {{"RG_B_Precision"}, [](const TControlConditions &, const TControlStateInputs &in) {
         return in.ConnectState <= 0 && in.PeerConnectState <= 0; }},
    {{"TabSheet_Gen"}, [](const TControlConditions &c, const TControlStateInputs &) { return !c.SelRun; }},
    {{"Label1", "Edit_G9_Z", "CB_G9_Z_Low", "Label2", "CB_G9_ref", "Label_SIN_L", "Edit_SIN_L", "Label3",
      "Label_SIN_F", "Edit_SIN_F", "Label4", "Label_SIN2_L", "Edit_SIN2_L", "Label6", "Label_SIN2_F1",
      "Edit_SIN2_F1", "Label7", "Label_SIN2_F2", "Edit_SIN2_F2", "Label13", "Label_RND_L", "Edit_RND_L",
      "Label23", "Label_NOISE_L", "Edit_NOISE_L", "Label10", "Label_MTTS_L", "Edit_MTTS_L", "Label14",
      "Label_MTTS_F1", "Edit_MTTS_F1", "Label15", "Label_MTTS_N", "Edit_MTTS_N", "Label_MTTS_dF",
      "Edit_MTTS_dF", "Label19", "Label18", "Label22", "Edit_MTTS_FN"},
     [](const TControlConditions &c, const TControlStateInputs &) { return GenEditable(c); }},
    {{"Edit_G9_Ref"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         return GenEditable(c) && in.GenRefItem == 0; }},
    {{"Button_SetGen"}, [](const TControlConditions &c, const TControlStateInputs &) {
         return GenEditable(c) && !c.SelRun; }},
    {{"Button_SIN", "Button_SIN2", "Button_RND", "Button_NOISE", "Button_MTTS", "Button_Block"},
     [](const TControlConditions &c, const TControlStateInputs &in) {
         return (c.GenAllowed || in.ScenarioRunning) && !c.SelRun; }},
};

// From the meter group on: the same rules with or without playback.
const ControlRow MeterRows[] = {
    {{"Label26", "CB_M9_ref", "Label24", "Edit_M9_Z", "CB_M9_Z_Hi", "Label27", "CB_Lmax_dBm", "Label31",
      "Edit_M9_Lmin", "Label32", "Edit_M9_SNR", "GroupBox2", "Label29", "Edit_M9_F0", "Label30", "Edit_M9_F1",
      "Label12", "Edit_M9_Fc", "Label17", "Edit_M9_B"},
     [](const TControlConditions &c, const TControlStateInputs &) { return MeterGroup(c); }},
    {{"Edit_M9_Ref"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         return MeterGroup(c) && in.MeterRefItem == 0; }},
    {{"CB_M9_Lmax_Auto"}, [](const TControlConditions &c, const TControlStateInputs &) {
         return MeterGroup(c) && !c.SelRun; }},
    {{"Edit_M9_Tunit", "Label35"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         return MeterGroup(c) && in.EventCounting; }},
    {{"RB_Rand"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         return in.RndState == 0 && in.SignalKind != 4 && c.CommonAllowed && !c.SelRun; }},
    {{"RB_Spectr"}, [](const TControlConditions &c, const TControlStateInputs &) { return c.CommonAllowed; }},
    {{"CBox_Spectr"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         if (in.RndState > 0 || in.SignalKind == 4)
             return false;
         return c.CommonAllowed && !in.EventCounting; }},
    {{"Button_Restart", "GroupBox1", "CB_M9_AFC", "GroupBox3", "CB_M9_GrDel", "GroupBox5", "Label36",
      "Edit_M9_VCable", "GroupBox4", "Button_OpenFile", "Button_ClearFile", "Label28", "Edit_M9_SpectrStep",
      "Label33", "Edit_M9_Tavr", "CSpinButton1", "Button_SetParam"},
     [](const TControlConditions &c, const TControlStateInputs &) { return c.MeterEditable; }},
    {{"CB_M9_PhasingOn"}, [](const TControlConditions &c, const TControlStateInputs &in) {
         return c.MeterEditable && in.ConnectionType == 7; }},
    {{"Button_M9_SetParam"}, [](const TControlConditions &c, const TControlStateInputs &) {
         return c.MeterEditable && !c.SelRun; }},
    {{"Button_SetCommonParam"}, [](const TControlConditions &c, const TControlStateInputs &) {
         return c.CommonAllowed && !c.SelRun; }},
    {{"TabSheet_MasterFreq", "TabSheet_MasterLev"}, [](const TControlConditions &c, const TControlStateInputs &) {
         return c.CommonAllowed && !c.SelRun; }},
    {{"TabSheet_Common", "TabSheet_Meter"}, [](const TControlConditions &c, const TControlStateInputs &) {
         return !c.SelRun; }},
};

// In playback the controls inside the disabled remote group and Generator page stay enabled (inert), and
// so do the generator group's labels, preset and apply button.
constexpr const char *PlaybackInertControls[] = {
    "Button_CONNECT", "Label_CONNECT_L", "Edit_CONNECT_L", "Label8", "Label_CONNECT_F1", "Edit_CONNECT_F1",
    "Label9", "Label_CONNECT_F2", "Edit_CONNECT_F2", "Label16", "RG_B_Precision",
    "Label1", "Label2", "Button_SetGen", "CB_G9_ref",
    "Button_SIN", "Button_SIN_R", "Button_SIN2", "Button_SIN2_R", "Button_MTTS", "Button_MTTS_R", "Button_RND",
    "Button_RND_R", "Button_NOISE", "Button_NOISE_R", "Button_Block", "Button_Block_R",
    "Label_SIN_L", "Edit_SIN_L", "Label3", "Label_SIN_F", "Edit_SIN_F", "Label4", "Label_SIN2_L", "Edit_SIN2_L",
    "Label6", "Label_SIN2_F1", "Edit_SIN2_F1", "Label7", "Label_SIN2_F2", "Edit_SIN2_F2", "Label13",
    "Label_RND_L", "Edit_RND_L", "Label23", "Label_NOISE_L", "Edit_NOISE_L", "Label10", "Label_MTTS_L",
    "Edit_MTTS_L", "Label14", "Label_MTTS_F1", "Edit_MTTS_F1", "Label15", "Label_MTTS_N", "Edit_MTTS_N",
    "Label_MTTS_dF", "Edit_MTTS_dF", "Label19", "Label18", "Label22", "Edit_MTTS_FN",
};
// clang-format on

} // namespace

TControlStateInputs CurrentControlStateInputs() {
    const TDeviceSettings &s = *DeviceSettings;
    TControlStateInputs in;
    in.ScenarioRunning = ScenarioRunning != 0;
    in.PlaybackOn = PlaybackOn;
    in.UseRecordedSettings = ProgramSettings.UseRecordedSettings != 0;
    in.ConnectionType = s.ConnectionType;
    in.RemoteLinkAvailable = IsRemoteLinkAvailable();
    in.PrecisionItem = s.ExchangeMode;
    in.ConnectionKind = ConnectionKind;
    in.ConnectState = s.ConnectState;
    in.PeerConnectState = s.PeerConnectState;
    in.MirvakRunState = s.Mirvak.RunState;
    in.EventCounting = s.EventCounting != 0;
    in.RndState = s.Rnd.State;
    in.SignalKind = SignalKind;
    return in;
}

TControlConditions ControlConditions(const TControlStateInputs &in) {
    TControlConditions c{};
    const int ct = in.ConnectionType;
    if (in.ScenarioRunning) {
        c.MeterEditable = false;
    } else if (in.PlaybackOn) {
        c.MeterEditable = !in.UseRecordedSettings;
    } else {
        c.RemoteAvail = in.RemoteLinkAvailable;
        c.GenAllowed = ct != 0 && ct != 2 && ct != 7;
        c.MeterAllowed = ct > 1 && ct != 6;
        c.MeterEditable = c.MeterAllowed;
        c.CommonAllowed = ct > 0;
    }
    c.Exchange = in.PrecisionItem > 0;
    c.PeerLinked = in.ConnectState > 0;
    c.SelRun = in.MirvakRunState != 0;
    return c;
}

void ForEachControlState(const TControlStateInputs &in, const std::function<void(const char *, bool)> &set) {
    const TControlConditions c = ControlConditions(in);
    if (in.PlaybackOn) {
        set("GB_RemoteControl", false);
        set("TabSheet_Gen", false);
        for (const char *name : PlaybackInertControls)
            set(name, true);
    } else {
        for (const ControlRow &row : LiveRows) {
            const bool enabled = row.enabled(c, in);
            for (const char *name : row.names)
                set(name, enabled);
        }
    }
    for (const ControlRow &row : MeterRows) {
        const bool enabled = row.enabled(c, in);
        for (const char *name : row.names)
            set(name, enabled);
    }
}
