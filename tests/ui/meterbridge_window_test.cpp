// The meterbridge window on demo units: what reaches the unit from its faders and
// switches, how replies move its meters and faders, scrolling, peaks, its place
// between runs, and its life beside the main window.
#include "app/app_settings.h"
#include "gui/front_end_ids.h"
#include "gui/main_window.h"
#include "protocol/frame.h"
#include "protocol/frame_builders.h"
#include "support/demo_session.h"
#include "support/wheel.h"
#include "ui/controls/fader.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/my_button.h"
#include "ui/views/meterbridge_window.h"

#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace mb = varento::meterbridge;

namespace {

class MeterbridgeWindowTest : public DemoSessionTest {
protected:
    void open(int model, AppSettings* settings = nullptr) {
        connectToDemo({model});
        window = new MeterbridgeWindow(*session, settings);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.data()));
    }
    void TearDown() override { delete window.data(); }

    emu::EmulatedUnit& unit() { return *rack().find(session->current().uid); }

    // The set-gains frames sent since `from`, as (gain index, value) pairs.
    std::vector<std::pair<int, int>> gainEntriesSince(std::size_t from) const {
        std::vector<std::pair<int, int>> entries;
        for (std::size_t i = from; i < recorder->sent.size(); ++i) {
            const auto& f = recorder->sent[i].frame;
            if (f.size() < 19 || f[17] != cmd::setGains) {
                continue;
            }
            for (std::size_t at = 18; at + 4 < f.size(); at += 4) {
                entries.emplace_back(f[at] << 7 | f[at + 1], f[at + 2] << 7 | f[at + 3]);
            }
        }
        return entries;
    }

    QPointer<MeterbridgeWindow> window;
};

} // namespace

TEST_F(MeterbridgeWindowTest, AFaderMoveSendsItsOutputLevel) {
    open(14);
    QTest::mouseClick(window->gainsSwitch(), Qt::LeftButton);
    EXPECT_TRUE(session->current().flag(UnitFlag::GainsEnabled));
    Fader* fader = window->fader(40);
    ASSERT_TRUE(fader->model().active());
    const std::size_t mark = recorder->sent.size();
    turnWheel(fader, 3); // three steps up, each one sent
    EXPECT_EVENTUALLY(gainEntriesSince(mark).size() == 3u, 5000);
    const auto entries = gainEntriesSince(mark);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().first, kChannelGainBase + 40);
    EXPECT_EQ(static_cast<std::int8_t>(entries.back().second), fader->model().levelValue());
    EXPECT_EQ(fader->model().levelValue(),
              static_cast<std::int8_t>(session->current().channelGain[40]));
}

// With several units and the window on a second screen, its title says whose
// meters it shows, and follows the unit shown.
TEST_F(MeterbridgeWindowTest, TheTitleNamesTheUnitShown) {
    connectToDemo({14, 11});
    window = new MeterbridgeWindow(*session, nullptr);
    const QString first = session->unitName(session->currentUnit());
    EXPECT_EQ(window->windowTitle(), "Meterbridge - " + first);
    session->selectUnit(1);
    const QString second = session->unitName(session->currentUnit());
    EXPECT_NE(first, second);
    EXPECT_EQ(window->windowTitle(), "Meterbridge - " + second);
}

TEST_F(MeterbridgeWindowTest, TheSwitchesSendTheirParameterBits) {
    open(14);
    const std::size_t mark = recorder->sent.size();
    QTest::mouseClick(window->gainsSwitch(), Qt::LeftButton);
    QTest::mouseClick(window->muteSwitch(), Qt::LeftButton);
    std::vector<std::pair<int, int>> pairs;
    EXPECT_EVENTUALLY(([&] {
                          pairs.clear();
                          for (std::size_t i = mark; i < recorder->sent.size(); ++i) {
                              const auto& f = recorder->sent[i].frame;
                              if (f.size() == 21 && f[17] == cmd::setParams) {
                                  pairs.emplace_back(f[18], f[19]);
                              }
                          }
                          return pairs.size() >= 2;
                      }()),
                      5000);
    ASSERT_GE(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, 17);
    EXPECT_NE(pairs[0].second & 0x40, 0);
    EXPECT_EQ(pairs[1].first, 20);
    EXPECT_NE(pairs[1].second & 0x40, 0);
    for (int j = 0; j < mb::kFaderCount; ++j) {
        ASSERT_TRUE(window->fader(j)->model().active()) << j;
    }
}

TEST_F(MeterbridgeWindowTest, SelectedFadersMoveTogetherAndGoOutInOneMessage) {
    open(14);
    QTest::mouseClick(window->gainsSwitch(), Qt::LeftButton);
    // Ctrl-clicks on the tracks below the knobs select three neighbours.
    for (const int j : {2, 3, 4}) {
        QTest::mouseClick(window->fader(j), Qt::LeftButton, Qt::ControlModifier, QPoint(12, 200));
    }
    // The clicks' own commits go out first.
    EXPECT_EVENTUALLY(!session->sendQueue().busy(), 2000);
    const std::size_t mark = recorder->sent.size();
    turnWheel(window->fader(3), -2); // two steps down, the others follow
    for (const int j : {2, 3, 4}) {
        EXPECT_EQ(window->fader(j)->model().levelValue(), -2) << j;
    }
    EXPECT_TRUE(gainEntriesSince(mark).empty());
    EXPECT_EVENTUALLY(!gainEntriesSince(mark).empty(), 2000);
    const auto entries = gainEntriesSince(mark);
    // One frame with all 64 levels, in channel order.
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kChannelGainCount));
    EXPECT_EQ(entries[3].first, kChannelGainBase + 3);
    EXPECT_EQ(static_cast<std::int8_t>(entries[3].second), -2);
    EXPECT_EQ(static_cast<std::int8_t>(entries[5].second), 0);
}

TEST_F(MeterbridgeWindowTest, RepliesMoveTheMetersAndTheFaders) {
    open(14);
    // Level replies: every shown meter takes the unit's level.
    LevelMeter* meter = window->meter(100);
    EXPECT_EVENTUALLY(meter->model().peak() > -144.0f, 5000);
    EXPECT_EVENTUALLY(meter->model().target() == session->current().levelDb[100] ||
                          meter->model().level() == session->current().levelDb[100],
                      5000);
    // A gains reply: the unit's level set elsewhere shows on the fader.
    DeviceRecord r = unit().state();
    r.uid = session->current().uid;
    r.channelGain[7] = static_cast<std::uint8_t>(-20);
    FrameBuffer buffer{};
    const int length = buildSetChannelGain(buffer, r, 7);
    unit().receive(std::span<const std::uint8_t>(buffer.data(), static_cast<size_t>(length)));
    EXPECT_EVENTUALLY(window->fader(7)->model().levelValue() == -20, 10000);
    EXPECT_EQ(window->fader(7)->model().position(), FaderModel::levelPosition(-20));
}

TEST_F(MeterbridgeWindowTest, ATwoGroupUnitHidesTheAesStripsAndLimitsTheWidth) {
    open(12);
    for (int k = 0; k < mb::kMeterCount; ++k) {
        const bool analog = (k >= 32 && k < 64) || k >= 96;
        EXPECT_EQ(window->meter(k)->isVisible(), analog) << k;
    }
    for (int j = 0; j < mb::kFaderCount; ++j) {
        EXPECT_EQ(window->fader(j)->isVisible(), j >= 32) << j;
    }
    window->resize(2400, mb::kHeight);
    EXPECT_EQ(window->width(), 1700);
    EXPECT_EQ(window->maximumHeight(), mb::kHeight);
    EXPECT_EQ(window->minimumHeight(), mb::kHeight);
    // The keyboard starts on the first fader shown.
    EXPECT_EQ(window->focusWidget(), window->fader(32));
}

TEST_F(MeterbridgeWindowTest, ScrollsByOneStripWidthAndStopsAtTheEnd) {
    open(14);
    EXPECT_EQ(window->focusWidget(), window->fader(0));
    turnWheel(window->surface(), -2); // towards the user: right
    EXPECT_EQ(window->scrollOffset(), 2 * mb::kScrollStep);
    EXPECT_EQ(window->surface()->x(), -window->scrollOffset());
    turnWheel(window->surface(), 1);
    EXPECT_EQ(window->scrollOffset(), mb::kScrollStep);
    window->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(window->scrollOffset(), 2 * mb::kScrollStep);
    turnWheel(window->surface(), -500);
    const int end = 4 * mb::kGroupPitch - window->width() + 1;
    EXPECT_EQ(window->scrollOffset(), end);
    // The last strip is in view at the end.
    EXPECT_LE(window->meter(127)->mapTo(window.data(), QPoint(25, 0)).x(), window->width());
    turnWheel(window->surface(), 500);
    EXPECT_EQ(window->scrollOffset(), 0);
}

TEST_F(MeterbridgeWindowTest, ADoubleClickOnTheBackgroundResetsEveryPeak) {
    open(14);
    window->meter(3)->feed(-3.0f);
    window->meter(90)->feed(-1.0f);
    for (int k : {3, 90}) {
        window->meter(k)->feed(-50.0f);
    }
    ASSERT_GT(window->meter(3)->model().peak(), -50.0f);
    QTest::mouseDClick(window->surface(), Qt::LeftButton, Qt::NoModifier, QPoint(700, 630));
    for (int k = 0; k < mb::kMeterCount; ++k) {
        EXPECT_EQ(window->meter(k)->model().peak(), window->meter(k)->model().level()) << k;
    }
}

TEST_F(MeterbridgeWindowTest, KeepsItsPlaceAndWidthBetweenRuns) {
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    open(14, &settings);
    window->move(120, 90);
    window->resize(1500, mb::kHeight);
    window->close(); // destroyed
    ASSERT_EVENTUALLY(window.isNull(), 1000);
    // The place alone does not make the next start look like a later one.
    EXPECT_EQ(settings.load(), PersistedSettings{});

    // Made hidden and never shown, a window keeps nothing of its own.
    delete new MeterbridgeWindow(*session, &settings);
    window = new MeterbridgeWindow(*session, &settings);
    EXPECT_EQ(window->pos(), QPoint(120, 90));
    EXPECT_EQ(window->width(), 1500);

    // A place on a screen that is gone is forgotten.
    settings.setMeterbridgePlace(QRect(30000, 90, 1500, mb::kHeight));
    delete window.data();
    window = new MeterbridgeWindow(*session, &settings);
    EXPECT_EQ(window->pos(), QPoint(0, 50));
    EXPECT_EQ(window->width(), mb::kWidth);
}

// The program's main window hosts it as a window of its own.
TEST_F(DemoSessionTest, TheMetersButtonOpensTheMeterbridgeAgainAfterItWasClosed) {
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    MainWindow main(*session, settings, ui);
    main.start(settings.load());
    main.show();
    connectToDemo({14});
    MyButton* button = main.topButton(command_id::meterbridgeButton);
    EXPECT_EVENTUALLY(button->isVisible(), 5000);
    QPointer<QWidget> first = main.view(ViewSlot::Meterbridge);
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->isVisible()); // made at start-up, hidden
    main.command(command_id::meterbridgeButton);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isWindow());
    first->close();
    ASSERT_EVENTUALLY(first.isNull(), 1000);
    main.command(command_id::meterbridgeKey);
    auto* again = qobject_cast<MeterbridgeWindow*>(main.view(ViewSlot::Meterbridge));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_TRUE(again->meter(0)->isVisible());
    // Disconnecting closes it.
    QPointer<QWidget> open = again;
    session->connectOrDisconnect();
    EXPECT_EVENTUALLY(open.isNull(), 1000);
    EXPECT_FALSE(button->isVisible());
}
