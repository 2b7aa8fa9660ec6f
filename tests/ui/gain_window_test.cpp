// The gain window end to end on the demo link: what the user does in it reaches
// the unit as the frames the unit expects, and the unit's replies move it.
#include "protocol/frame_builders.h"
#include "support/demo_session.h"
#include "support/wheel.h"
#include "ui/controls/fader.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/my_button.h"
#include "ui/skin/skin.h"
#include "ui/views/gain_window.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

using Frame = std::vector<std::uint8_t>;

class GainWindowTest : public DemoSessionTest {
protected:
    void open(const std::vector<int>& models) {
        connectToDemo(models);
        window = std::make_unique<GainWindow>(*session);
        window->model().setCommandSink([this](int id, int param) { session->command(id, param); });
        window->resize(gain_layout::kWidth, 630);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // What a builder makes from the current record.
    template <typename Build> Frame expected(Build build) {
        FrameBuffer buffer{};
        const int length = build(buffer, session->current());
        return {buffer.begin(), buffer.begin() + length};
    }

    // Frames sent since `from` that carry this frame's command byte.
    std::vector<Frame> sentLike(const Frame& like, std::size_t from) const {
        std::vector<Frame> out;
        for (std::size_t i = from; i < recorder->sent.size(); ++i) {
            const Frame& f = recorder->sent[i].frame;
            if (f.size() > 17 && f[17] == like[17]) {
                out.push_back(f);
            }
        }
        return out;
    }

    void click(int id) {
        MyButton* b = window->button(id);
        ASSERT_NE(b, nullptr) << id;
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }

    std::unique_ptr<GainWindow> window;
};

} // namespace

TEST_F(GainWindowTest, SwitchesGposAndFadersSendTheUnitsFrames) {
    ASSERT_NO_FATAL_FAILURE(open({11}));

    std::size_t from = recorder->sent.size();
    click(GainWindow::kP48First + 2);
    EXPECT_EQ(session->current().inputSwitch[2] & 0x02, 0x02);
    const Frame p48 = expected(
        [](FrameBuffer& b, const DeviceRecord& r) { return buildSetInputSwitch(b, r, 2); });
    EXPECT_EQ(sentLike(p48, from), std::vector<Frame>{p48});

    from = recorder->sent.size();
    click(GainWindow::kPadFirst + 7);
    const Frame pad = expected(
        [](FrameBuffer& b, const DeviceRecord& r) { return buildSetInputSwitch(b, r, 7); });
    EXPECT_EQ(session->current().inputSwitch[7] & 0x01, 0x01);
    EXPECT_EQ(sentLike(pad, from), std::vector<Frame>{pad});
    EXPECT_EQ(window->button(GainWindow::kPadFirst + 7)->state() & MyButton::On, MyButton::On);

    from = recorder->sent.size();
    click(GainWindow::Gpo2);
    const Frame gpo =
        expected([](FrameBuffer& b, const DeviceRecord& r) { return buildSetParam(b, r, 5); });
    EXPECT_NE(session->current().at(param::srcEnable) & 0x20, 0);
    EXPECT_EQ(sentLike(gpo, from), std::vector<Frame>{gpo});

    // One wheel notch on a single fader: one set-gain frame for that channel.
    from = recorder->sent.size();
    const int before = session->current().inputGain[5];
    turnWheel(window->fader(5), 1);
    EXPECT_NE(session->current().inputGain[5], before);
    EXPECT_EQ(session->current().inputGain[5], window->fader(5)->model().gainValue());
    const Frame gain =
        expected([](FrameBuffer& b, const DeviceRecord& r) { return buildSetInputGain(b, r, 5); });
    EXPECT_EQ(sentLike(gain, from), std::vector<Frame>{gain});

    // Everything reached the unit.
    const auto& unit = rack().units()[0].state();
    ASSERT_EVENTUALLY(unit.inputGain[5] == session->current().inputGain[5], 3000);
    EXPECT_EQ(unit.inputSwitch[2] & 0x02, 0x02);
    EXPECT_EQ(unit.inputSwitch[7] & 0x01, 0x01);
}

TEST_F(GainWindowTest, AGroupMoveSendsOneAllGainsFrame) {
    ASSERT_NO_FATAL_FAILURE(open({11}));
    window->model().group().add(3);
    window->model().group().selectRange(6);
    const std::size_t from = recorder->sent.size();
    const int start = window->fader(4)->model().position();
    turnWheel(window->fader(4), 2); // away from the user: two steps up
    const int moved = window->fader(4)->model().position();
    ASSERT_LT(moved, start);
    for (int c : {3, 5, 6}) {
        EXPECT_EQ(window->fader(c)->model().position(), moved) << c;
    }
    ASSERT_EVENTUALLY(!window->model().group().groupMovePending(), 3000);
    // Single gains travel with the same command byte: this is the only gain frame.
    const Frame all = expected(buildSetInputGains);
    EXPECT_EQ(sentLike(all, from), std::vector<Frame>{all});
}

TEST_F(GainWindowTest, RepliesMoveTheFadersAndFeedTheMeters) {
    ASSERT_NO_FATAL_FAILURE(open({11}));
    // Someone else sets channel 1's gain on the unit; the next gains reply shows it.
    DeviceRecord other = rack().units()[0].state();
    other.inputGain[0] = 50;
    FrameBuffer buffer{};
    const int length = buildSetInputGain(buffer, other, 0);
    rack().receive(std::span<const std::uint8_t>(buffer.data(), static_cast<size_t>(length)));
    ASSERT_EVENTUALLY(window->fader(0)->model().position() == FaderModel::gainPosition(50), 5000);

    bool fed = false;
    QObject::connect(session.get(), &Session::levelsChanged, window.get(), [&] {
        fed = true;
        // The value fed is where the meter now stands (a rise) or falls to.
        for (int c = 0; c < gain_layout::kChannels; ++c) {
            const float fedDb = session->current().levelDb[static_cast<size_t>(96 + c)];
            const LevelMeterModel& meter = window->meter(c)->model();
            EXPECT_TRUE(meter.level() == fedDb || meter.target() == fedDb) << c;
        }
    });
    ASSERT_EVENTUALLY(fed, 3000);
}

// Another model between two microphone units: each Switch Device button selects
// the unit it names.
TEST_F(GainWindowTest, SwitchDeviceSelectsTheUnitItShows) {
    ASSERT_NO_FATAL_FAILURE(open({11, 12, 11}));
    GainModel& model = window->model();
    ASSERT_NE(model.switchDeviceText(1), "N/A");
    EXPECT_EQ(model.switchDeviceText(2), "N/A");
    EXPECT_TRUE(model.switchDeviceOn(0));

    click(GainWindow::SwitchDevice1 + 1);
    EXPECT_EQ(session->current().uid, rack().units()[2].state().uid);
    EXPECT_TRUE(model.switchDeviceOn(1));
    EXPECT_EQ(model.currentGainPage(), 1);

    click(GainWindow::SwitchDevice1 + 2); // "N/A"
    EXPECT_EQ(session->current().uid, rack().units()[2].state().uid);
    EXPECT_TRUE(model.switchDeviceOn(1));
    EXPECT_EQ(window->button(GainWindow::SwitchDevice1 + 2)->state() & MyButton::On, 0);
}

TEST_F(GainWindowTest, ScrollingStepsAndStopsAtBothEnds) {
    ASSERT_NO_FATAL_FAILURE(open({11}));
    window->resize(600, 630);
    turnWheel(window.get(), -2); // toward the user: right
    EXPECT_EQ(window->scrollOffset(), 50);
    EXPECT_EQ(window->fader(0)->x(), gain_layout::stripX(0) - 50);
    turnWheel(window.get(), -100);
    EXPECT_EQ(window->scrollOffset(), gain_layout::kScrollMax - 600 + 1);
    turnWheel(window.get(), 100);
    EXPECT_EQ(window->scrollOffset(), 0);
}

// A group move still pending when the unit changes belongs to the unit it was made
// on: a Switch Device click and the unit selector alike send it there first, and
// never to the next unit.
TEST_F(GainWindowTest, APendingGroupMoveStaysWithItsUnit) {
    ASSERT_NO_FATAL_FAILURE(open({11, 12, 11}));
    GainModel& model = window->model();
    const DeviceUid first = rack().units()[0].state().uid;
    const auto groupMove = [&] {
        model.group().add(0);
        model.group().selectRange(3);
        turnWheel(window->fader(1), 2);
        ASSERT_TRUE(model.group().groupMovePending());
    };

    ASSERT_NO_FATAL_FAILURE(groupMove());
    const std::array<std::uint8_t, kInputCount> moved = [&] {
        std::array<std::uint8_t, kInputCount> gains = session->current().inputGain;
        for (int c = 0; c < 4; ++c) {
            gains[static_cast<size_t>(c)] =
                static_cast<std::uint8_t>(window->fader(c)->model().gainValue());
        }
        return gains;
    }();
    std::size_t from = recorder->sent.size();
    click(GainWindow::SwitchDevice1 + 1);
    EXPECT_FALSE(model.group().groupMovePending());
    EXPECT_NE(session->current().uid, first);
    const std::vector<Frame> gainFrames = sentLike(expected(buildSetInputGains), from);
    ASSERT_FALSE(gainFrames.empty());
    const Frame& all = gainFrames.front();
    EXPECT_TRUE(std::equal(first.bytes.begin(), first.bytes.end(), all.begin() + 1));
    ASSERT_EVENTUALLY(rack().units()[0].state().inputGain == moved, 3000);

    // The unit selector changes the unit while a move is pending: the move goes to
    // the unit it was made on, and the unit now shown keeps its gains.
    const DeviceUid second = session->current().uid;
    const auto firstGains = rack().find(first)->state().inputGain;
    ASSERT_NO_FATAL_FAILURE(groupMove());
    std::array<std::uint8_t, 4> secondMoved{};
    for (int c = 0; c < 4; ++c) {
        secondMoved[static_cast<size_t>(c)] =
            static_cast<std::uint8_t>(window->fader(c)->model().gainValue());
    }
    from = recorder->sent.size();
    session->selectUnit(0);
    EXPECT_FALSE(model.group().groupMovePending());
    const std::vector<Frame> sent = sentLike(expected(buildSetInputGains), from);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(std::equal(second.bytes.begin(), second.bytes.end(), sent[0].begin() + 1));
    ASSERT_EVENTUALLY(rack().find(second)->state().inputGain[3] == secondMoved[3], 3000);
    EXPECT_EQ(rack().find(first)->state().inputGain, firstGains);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(window->fader(c)->model().position(),
                  FaderModel::gainPosition(session->current().inputGain[static_cast<size_t>(c)]))
            << c;
    }
}

// Every look of the window's keys is drawn, and each state reads differently.
TEST(GainArt, EveryKeyStateIsDrawnAndDistinct) {
    for (const std::vector<int>& states :
         {std::vector<int>{174, 175, 176, 186}, {183, 184, 185}, {211, 213, 212, 214}}) {
        std::vector<QImage> looks;
        for (int number : states) {
            const QPixmap pixmap = skin::bitmap(number, 2.0);
            ASSERT_FALSE(pixmap.isNull()) << number;
            EXPECT_EQ(pixmap.size(), skin::bitmapSize(states[0]) * 2) << number;
            for (const QImage& other : looks) {
                EXPECT_NE(pixmap.toImage(), other) << number;
            }
            looks.push_back(pixmap.toImage());
        }
    }
}
