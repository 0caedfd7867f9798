#include "SetDevFixture.h"

#include "settings/remote/RemoteLinkPeers.h"

namespace {

using SetDevRemoteGroupTest = SetDevWindowTest;

// The peer's buttons and the results request need this side's established link; breaking and texts
// serve either side of a pair.
TEST_F(SetDevRemoteGroupTest, ButtonsFollowTheLinkStates) {
    struct Case {
        int32_t connect, peer;
        bool toPeer, eitherSide;
    } cases[] = {
        {0, 0, false, false}, {1, 0, false, false}, {2, 0, true, true}, {-1, 0, false, false}, {0, 1, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "ConnectState " << c.connect << ", PeerConnectState " << c.peer);
        settings.ConnectState = c.connect;
        settings.PeerConnectState = c.peer;
        window->RefreshGenButtons();
        for (QPushButton *b : {window->Button_SIN_R, window->Button_NOISE_R, window->Button_Block_R,
                               window->Button_GetResult})
            EXPECT_EQ(b->isEnabled(), c.toPeer) << b->objectName().toStdString();
        EXPECT_EQ(window->Button_CONNECT_OFF->isEnabled(), c.eitherSide);
        EXPECT_EQ(window->Button_TextMsg->isEnabled(), c.eitherSide);
    }
}

// "Получить результаты" asks the peer; "Разорвать соединение" sends the break only while a link is up;
// "Текстовые сообщения" opens the text window.
TEST_F(SetDevRemoteGroupTest, ResultsBreakAndTextButtons) {
    settings.ConnectState = 2;
    window->Button_GetResultClick();
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{30}));

    settings.ConnectState = 0;
    window->Button_CONNECT_OFFClick();
    EXPECT_TRUE(SentCodes().empty()) << "no link, nothing to break";
    settings.PeerConnectState = 1;
    window->Button_CONNECT_OFFClick();
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{6, 16}));

    int opened = 0;
    RemoteLinkPeers().ShowTextMessageWindow = [&opened] { ++opened; };
    window->Button_TextMsgClick();
    EXPECT_EQ(opened, 1);
    RemoteLinkPeers() = {};
}

// Without a link of this side the control edits are the settings at once, the band keeping its least span
// (F1 pushes F2 up, F2 pulls F1 down); with a link they only show in yellow that they differ from what
// the peer was sent.
TEST_F(SetDevRemoteGroupTest, ControlEditsStoreOrMark) {
    window->RefreshAllPages();
    window->Edit_CONNECT_L->SetValue(-7);
    EXPECT_FLOAT_EQ(settings.ControlLevel, -7);

    // Sample rate 640 kHz: the band grid is 5 kHz from 0.625 kHz, at least three steps wide.
    window->Edit_CONNECT_F2->SetValue(100);
    window->Edit_CONNECT_F1->SetValue(95);
    EXPECT_DOUBLE_EQ(window->Edit_CONNECT_F2->GetValue(), 111.25);
    EXPECT_FLOAT_EQ(settings.ControlF1, 95);
    EXPECT_FLOAT_EQ(settings.ControlFN, 111.25f);
    window->Edit_CONNECT_F2->SetValue(50);
    EXPECT_DOUBLE_EQ(window->Edit_CONNECT_F1->GetValue(), 50 - settings.ControlMinSpan);
    EXPECT_FLOAT_EQ(settings.ControlF1, 50 - settings.ControlMinSpan);

    settings.ConnectState = 2;
    window->Edit_CONNECT_L->SetValue(-8);
    EXPECT_FLOAT_EQ(settings.ControlLevel, -7) << "the linked value stays";
    EXPECT_EQ(TextOf(window->Label_CONNECT_L), Yellow);
    window->Edit_CONNECT_L->SetValue(-7);
    EXPECT_NE(TextOf(window->Label_CONNECT_L), Yellow);
}

// Enter snaps the band edit onto the control step's grid while not linked, and pairs again while linked.
TEST_F(SetDevRemoteGroupTest, EnterSnapsOrConnects) {
    window->RefreshAllPages();
    const double step = settings.ControlStep; // 5 kHz at 640 kHz
    window->Edit_CONNECT_F1->SetValue(41.3);
    window->Edit_CONNECT_F1KeyDown();
    EXPECT_DOUBLE_EQ(window->Edit_CONNECT_F1->GetValue(), 40);
    EXPECT_DOUBLE_EQ(window->Edit_CONNECT_F1->Increment(), step);
    EXPECT_TRUE(SentCodes().empty());

    // As the button itself, Enter pairs only where the button may be pressed (an instrument chosen).
    settings.ConnectState = 2;
    window->Edit_CONNECT_F2KeyDown();
    EXPECT_EQ(settings.ConnectState, 2);
    ConnectionKind = 1;
    window->UpdateControlStates();
    window->Edit_CONNECT_F2KeyDown();
    ConnectionKind = 0;
    EXPECT_EQ(settings.ConnectState, 1);
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{27, 255})) << "the pairing list";
}

} // namespace
