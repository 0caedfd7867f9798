#include "RemoteLinkFixture.h"

#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "engine/masks/MaskArray.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"
#include "settings/remote/RemoteParamRecords.h"
#include "settings/remote/RemoteResultsBlock.h"
#include "settings/remote/RemoteRecords.h"

#include <cstring>
#include <memory>

namespace {

using Bytes = std::vector<uint8_t>;

// The parameter tables, the masks and the result holders are program-wide: each test starts from the
// tables as they were and puts them back.
class RemoteParamTest : public RemoteLinkTest {
protected:
    void SetUp() override {
        RemoteLinkTest::SetUp();
        for (int kind = 1; kind <= 5; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int i = 0; i < table.RowCount; ++i)
                savedRows.push_back(table.Rows[i].Settings);
        }
        savedNames = MaskNameList;
        ClearMasks();
    }
    void TearDown() override {
        std::size_t k = 0;
        for (int kind = 1; kind <= 5; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int i = 0; i < table.RowCount; ++i)
                table.Rows[i].Settings = savedRows[k++];
        }
        MaskNameList = savedNames;
        ClearMasks();
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 0);
        PeerScenario = {};
        RemoteLinkTest::TearDown();
    }
    static void ClearMasks() {
        for (int slot = 0; slot < MaskSlotCount; ++slot)
            for (int side = 0; side < 2; ++side) {
                MaskArray[slot][side].reset();
                PendingMaskArray[slot][side].reset();
            }
    }
    static void AnalyseNothing() {
        for (int kind = 1; kind <= 5; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int i = 0; i < table.RowCount; ++i)
                table.Rows[i].Settings.Analyse = 0;
        }
    }
    // The first row of the five tables that passes the test, or null.
    template <typename Test> static ParamDescriptor *FindRow(Test test) {
        for (int kind = 1; kind <= 5; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int i = 0; i < table.RowCount; ++i)
                if (test(table.Rows[i]))
                    return &table.Rows[i];
        }
        return nullptr;
    }

    std::vector<ParamSettings> savedRows;
    QStringList savedNames;
};

// A block of results of a signal kind: the 29-byte header with the kind at byte 8, then the rows.
Bytes ResultsBlock(uint8_t kind, int rows, int extra = 0) {
    Bytes block(std::size_t(SnapshotHeaderSize), 0);
    block[8] = kind;
    for (int i = 0; i < rows; ++i) {
        ParamResult row{float(i + 1) * 1.5f, -float(i), uint8_t(i % 2), {}};
        const auto *bytes = reinterpret_cast<const uint8_t *>(&row);
        block.insert(block.end(), bytes, bytes + sizeof row);
    }
    block.insert(block.end(), std::size_t(extra), 0x5A);
    return block;
}

} // namespace

TEST_F(RemoteParamTest, EmptyTablesAndNoMasks) {
    AnalyseNothing();
    EXPECT_EQ(Sent({26}), (Bytes{0, 0, 26, 0, 0, 0, 0, 0, 0, 0}))
        << "one count byte per table and one for the masks, then the padding";
}

// The receiver analyses exactly the rows that arrived, with their flags and norms; a coded norm arrives
// on the row's code grid, a mask template name arrives whole.
TEST_F(RemoteParamTest, ParameterSettingsArriveAtThePeer) {
    AnalyseNothing();
    ParamDescriptor *coded = FindRow([](const ParamDescriptor &r) {
        return !r.TextNorms && r.WireBytes == 2 && r.LowerNormAllowed && r.CodeSteps > 0;
    });
    ParamDescriptor *raw = FindRow([](const ParamDescriptor &r) {
        return !r.TextNorms && r.WireBytes == 4 && r.LowerNormAllowed;
    });
    ParamDescriptor *curve = FindRow([](const ParamDescriptor &r) { return r.TextNorms && r.UpperNormAllowed; });
    ParamDescriptor *bare = FindRow([](const ParamDescriptor &r) {
        return !r.ProtocolAllowed && !r.MarginAllowed && !r.LowerNormAllowed && !r.UpperNormAllowed;
    });
    ASSERT_TRUE(coded);
    ASSERT_TRUE(raw);
    ASSERT_TRUE(curve);
    ParamDescriptor &c = *coded;
    c.Settings = {};
    c.Settings.Analyse = 1;
    c.Settings.Protocol = 1;
    c.Settings.ApplyLower = 1;
    c.Settings.LowerNorm = c.MinValue + (c.MaxValue - c.MinValue) * 0.3137f;
    ParamDescriptor &f = *raw;
    f.Settings.Analyse = 1;
    f.Settings.ApplyLower = 1;
    f.Settings.LowerNorm = 12.3456f;
    ParamDescriptor &m = *curve;
    m.Settings.Analyse = 1;
    m.Settings.ApplyUpper = 1;
    MaskNameList = {QStringLiteral("Верх.9sf;")};
    m.Settings.UpperMaskName = 0;
    if (bare)
        bare->Settings.Analyse = 1;
    const Bytes message = Sent({26});

    // The receiver analyses everything and holds other norms and no template names before.
    for (int kind = 1; kind <= 5; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int i = 0; i < table.RowCount; ++i) {
            table.Rows[i].Settings.Analyse = 1;
            table.Rows[i].Settings.LowerNorm = -1;
        }
    }
    m.Settings.UpperMaskName = -1;
    MaskNameList.clear();
    peer.PeerConnectState = 1;
    ReceiveAtPeer(message);

    int analysed = 0;
    for (int kind = 1; kind <= 5; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int i = 0; i < table.RowCount; ++i)
            analysed += table.Rows[i].Settings.Analyse;
    }
    EXPECT_EQ(analysed, bare ? 4 : 3);
    EXPECT_EQ(c.Settings.Analyse, 1);
    EXPECT_EQ(c.Settings.ApplyLower, 1);
    double snapped = c.Settings.LowerNorm;
    DequantizeByDescriptor(c, snapped, QuantizeByDescriptor(c, c.MinValue + (c.MaxValue - c.MinValue) * 0.3137f));
    EXPECT_FLOAT_EQ(c.Settings.LowerNorm, float(snapped));
    EXPECT_EQ(f.Settings.LowerNorm, 12.3456f) << "a 4-byte norm travels as the float itself";
    ASSERT_EQ(m.Settings.UpperMaskName, 0);
    EXPECT_EQ(MaskNameList.value(0), QStringLiteral("Верх.9sf;"));
}

// A mask travels over its slot's coding ranges and arrives in the pending array, on its own side.
TEST_F(RemoteParamTest, MasksArriveInThePendingArray) {
    AnalyseNothing();
    const int slot = 5;
    auto mask = std::make_unique<TMASK>();
    GetParamDefaultRange(mask->XMin, mask->XMax, slot);
    FindParamDescriptor(mask->YMin, mask->YMax, mask->CodeSteps, mask->WireBytes, slot);
    mask->Upper = 0;
    mask->Active = 1;
    mask->Scale = 150;
    mask->Colour = 0x123456;
    mask->Points = {{0.3, -10.25}, {3.4, -20}, {300, -30.5}};
    mask->Names = {QStringLiteral("Низ.9sf")};
    mask->Paths = {QStringLiteral("/m/Низ.9sf")};
    const TMASK sent = *mask;
    MaskArray[slot][MaskLowerSide] = std::move(mask);
    const Bytes message = Sent({26});
    MaskArray[slot][MaskLowerSide].reset();
    peer.PeerConnectState = 1;
    ReceiveAtPeer(message);

    EXPECT_FALSE(PendingMaskArray[slot][MaskUpperSide]);
    const TMASK *got = PendingMaskArray[slot][MaskLowerSide].get();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->Upper, 0);
    EXPECT_EQ(got->Active, 1);
    EXPECT_EQ(got->Scale, 150);
    EXPECT_EQ(got->Colour, 0x123456);
    ASSERT_EQ(got->Points.size(), 3u);
    const double yStep = sent.WireBytes == 2 ? (sent.YMax - sent.YMin) / sent.CodeSteps : 0.001;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(got->Points[i].x, sent.Points[i].x, sent.Points[i].x * 2e-4);
        EXPECT_NEAR(got->Points[i].y, sent.Points[i].y, yStep);
    }
    EXPECT_EQ(got->Names, QStringList{QStringLiteral("Низ.9sf")});
    EXPECT_EQ(got->Paths, QStringList{QStringLiteral("Низ.9sf")});
}

// The passive side answers a results request with its results block; the active side fills the
// peer's result table from the rows, keeps the block whole (the padding byte included) and files it.
TEST_F(RemoteParamTest, ResultsTravelBack) {
    std::vector<int> entries;
    int shown = 0;
    RemoteLinkPeers().AddProtocolEntry = [&](int remote) { entries.push_back(remote); };
    RemoteLinkPeers().ShowRemoteResultTable = [&] { ++shown; };
    VirtualClock clock(0, 100);
    const Bytes block = ResultsBlock(2, 2);
    LocalProtocolSnapshot.HasData = 1;
    LocalProtocolSnapshot.Results = block;

    // The request arrives at the passive side, which answers after its wait.
    peer.PeerConnectState = 1;
    ReceiveAtPeer({0, 0, 30, 0});
    EXPECT_GE(clock.Ticks(), ResultsRequestWaitMs);
    const Bytes answer = OnLine();
    ASSERT_EQ(answer.size(), 2u + 2u + block.size() + 1u);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 4), (Bytes{0, 0, 31, 1}));
    EXPECT_EQ(Bytes(answer.begin() + 4, answer.end() - 1), block);
    EXPECT_EQ(entries, std::vector<int>{0}) << "the passive side files its own measurement";
    DropRemoteMessages();

    entries.clear();
    RemoteParamResultsSin2[5].Value = 77;
    DeviceSettings = &settings;
    ReceiveAtPeer(answer);
    EXPECT_EQ(RemoteSignalKind, 2);
    EXPECT_EQ(RemoteParamResultsSin2[0].Value, 1.5f);
    EXPECT_EQ(RemoteParamResultsSin2[1].Value, 3.0f);
    EXPECT_EQ(RemoteParamResultsSin2[1].Verdict, 1);
    EXPECT_EQ(RemoteParamResultsSin2[5].Value, NoValue) << "rows that did not come are not measured";
    EXPECT_EQ(RemoteProtocolSnapshot.HasData, 1);
    EXPECT_EQ(RemoteProtocolSnapshot.Results.size(), block.size() + 1u);
    // The recorder's copy is the block as it came, byte for byte.
    const QByteArray kept = LastRemoteResultsBlock();
    EXPECT_EQ(Bytes(kept.begin(), kept.end()), Bytes(answer.begin() + 4, answer.end()));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(entries, std::vector<int>{1});
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RemoteParamTest, ResultBlocksAreCopiedByWholeRowsOfTheirKind) {
    struct Case {
        const char *what;
        Bytes block;
        int32_t wantKind;
        float row0, row1;
    } cases[] = {
        {"one whole row and a piece", ResultsBlock(1, 1, 5), 1, 1.5f, NoValue},
        {"kind 6 is kept but copies nothing", ResultsBlock(6, 2), 9, NoValue, NoValue},
        {"a header cut short", Bytes(7, 0), 9, NoValue, NoValue},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RemoteSignalKind = 9;
        Bytes message = {0, 0, 31, 1};
        message.insert(message.end(), c.block.begin(), c.block.end());
        ReceiveAtPeer(message);
        EXPECT_EQ(RemoteSignalKind, c.wantKind);
        EXPECT_EQ(RemoteParamResultsSin[0].Value, c.row0);
        EXPECT_EQ(RemoteParamResultsSin[1].Value, c.row1);
        EXPECT_EQ(RemoteProtocolSnapshot.Results.size(), c.block.size());
    }
}

TEST_F(RemoteParamTest, ResultsNotReady) {
    int arrived = 0;
    RemoteLinkPeers().RemoteResultsArrived = [&] { ++arrived; };
    KeepRemoteResultsBlock(QByteArray(41, '\x01'));
    ReceiveAtPeer({0, 0, 31, 0});
    EXPECT_TRUE(LastRemoteResultsBlock().isEmpty()) << "the recorder keeps no results the tables no longer show";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Результаты измерений от удаленного R9 не готовы!"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Внимание!"));
    EXPECT_EQ(arrived, 0);
    // While a scenario runs the scenario takes note, and nobody is asked.
    ScenarioRunning = 1;
    boxes.clear();
    ReceiveAtPeer({0, 0, 31, 0});
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(arrived, 1);
}

TEST_F(RemoteParamTest, ScenarioInfo) {
    std::vector<int> closed;
    RemoteLinkPeers().ConfigFileName = [] { return QStringLiteral("/r9/Config/my.cfg"); };
    RemoteLinkPeers().CloseProtocol = [&](int flag) { closed.push_back(flag); };
    RemoteLinkPeers().ProtocolIsRemote = [] { return true; };
    const Bytes plain = Sent({250});
    EXPECT_EQ(plain, (Bytes{0, 0, 250, 0, 2, 'm', 'y', 0}));
    PeerScenario.Name = QStringLiteral("old");
    ReceiveAtPeer(plain);
    EXPECT_EQ(PeerScenario.Number, -1);
    EXPECT_TRUE(PeerScenario.Name.isEmpty());
    EXPECT_EQ(PeerScenario.ConfigName, QStringLiteral("my"));
    EXPECT_TRUE(closed.empty()) << "without a scenario the protocol stays open";

    ScenarioRunning = 1;
    RemoteLinkPeers().RunningScenario = [](TRemoteLinkPeers::ScenarioInfo &info) {
        info = {3, QStringLiteral("/s/Scn1.scn"), QStringLiteral("/c/a.cfg"), true};
        return true;
    };
    DeviceSettings = &settings;
    const Bytes running = Sent({250});
    EXPECT_EQ(running, (Bytes{0, 0, 250, 1, 3, 1, 4, 'S', 'c', 'n', '1', 1, 'a', 0}));
    ScenarioRunning = 0;
    ReceiveAtPeer(running);
    EXPECT_EQ(PeerScenario.Number, 3);
    EXPECT_EQ(PeerScenario.LastRow, 1);
    EXPECT_EQ(PeerScenario.Name, QStringLiteral("Scn1"));
    EXPECT_EQ(PeerScenario.ConfigName, QStringLiteral("a"));
    EXPECT_EQ(closed, std::vector<int>{0}) << "a new scenario of the peer closes the remote protocol";
    ReceiveAtPeer(running);
    EXPECT_EQ(closed.size(), 1u) << "the same scenario keeps it";
}
