// The front panels' indicators as a function of the record: where each one sits
// and whether it is lit, unlit, disabled, flashing or not drawn.
#include "settings_test_support.h"
#include "ui/models/panel_state.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::panel;
using varento::testing::unitRecord;

namespace {

PanelState base(const DeviceRecord& r, bool phase = false) {
    return panelState(PanelKind::Base, r, phase);
}
PanelState extended(const DeviceRecord& r, bool phase = false) {
    return panelState(PanelKind::Extended, r, phase);
}

DeviceRecord with(int model, std::initializer_list<std::pair<int, int>> params) {
    DeviceRecord r = unitRecord(model);
    for (const auto& [p, v] : params) {
        r.at(p) = static_cast<std::uint8_t>(v);
    }
    return r;
}

struct Place {
    Lamp lamp;
    int index;
    QRect rect;
};

} // namespace

TEST(BasePanel, EveryIndicatorSitsAtItsPlace) {
    const Place places[] = {
        {Lamp::ClockWck, 0, {42, 108, 22, 22}},    {Lamp::ClockMadi, 0, {42, 134, 22, 22}},
        {Lamp::ClockInt, 0, {42, 160, 22, 22}},    {Lamp::SyncWck, 0, {122, 108, 22, 22}},
        {Lamp::SyncMadi1, 0, {122, 134, 22, 22}},  {Lamp::SyncMadi2, 0, {122, 160, 22, 22}},
        {Lamp::RateQuad, 0, {197, 82, 22, 22}},    {Lamp::RateDouble, 0, {197, 108, 22, 22}},
        {Lamp::Rate48, 0, {197, 134, 22, 22}},     {Lamp::Rate44, 0, {197, 160, 22, 22}},
        {Lamp::Madi56, 0, {305, 82, 22, 22}},      {Lamp::Madi96k, 0, {305, 108, 22, 22}},
        {Lamp::BankHigh, 0, {305, 156, 22, 22}},   {Lamp::BankLow, 0, {305, 182, 22, 22}},
        {Lamp::InHigh, 0, {423, 82, 22, 22}},      {Lamp::InLow, 0, {423, 108, 22, 22}},
        {Lamp::OutHigh, 0, {423, 156, 22, 22}},    {Lamp::OutLow, 0, {423, 182, 22, 22}},
        {Lamp::Status0, 0, {557, 82, 22, 22}},     {Lamp::Status1, 0, {557, 108, 22, 22}},
        {Lamp::MatrixMode, 0, {33, 204, 140, 23}}, {Lamp::Status2, 0, {33, 234, 140, 23}},
    };
    const PanelState s = base(with(12, {{param::clockRate, 0x12}}));
    EXPECT_EQ(s.panelSize, QSize(710, 280));
    for (const Place& p : places) {
        const Indicator* i = s.find(p.lamp, p.index);
        ASSERT_NE(i, nullptr) << static_cast<int>(p.lamp);
        EXPECT_EQ(i->rect, p.rect) << static_cast<int>(p.lamp);
    }
    EXPECT_EQ(s.indicators.size(), std::size(places) + 1); // and the termination
}

TEST(BasePanel, TerminationIsDisabledWithItsLegendAwayFromWordClock) {
    for (int source : {0, 1, 3}) {
        const PanelState s = base(with(8, {{param::clockRate, 0x14 | source}}));
        ASSERT_NE(s.find(Lamp::Term), nullptr);
        EXPECT_EQ(s.find(Lamp::Term)->look, Look::Disabled);
        EXPECT_EQ(s.find(Lamp::Term)->rect, QRect(42, 82, 62, 22));
    }
    const PanelState on = base(with(8, {{param::clockRate, 0x16}}));
    EXPECT_EQ(on.look(Lamp::Term), Look::Lit);
    EXPECT_EQ(on.find(Lamp::Term)->rect, QRect(42, 82, 22, 22));
    EXPECT_EQ(base(with(8, {{param::clockRate, 0x12}})).look(Lamp::Term), Look::Unlit);
}

TEST(BasePanel, ClockSourceRateAndFormat) {
    const PanelState wck = base(with(8, {{param::clockRate, 0x2A}, {param::madiFormat, 0x02}}));
    EXPECT_EQ(wck.look(Lamp::ClockWck), Look::Lit);
    EXPECT_EQ(wck.look(Lamp::ClockMadi), Look::Unlit);
    EXPECT_EQ(wck.look(Lamp::ClockInt), Look::Unlit);
    EXPECT_EQ(wck.look(Lamp::RateDouble), Look::Lit);
    EXPECT_EQ(wck.look(Lamp::RateQuad), Look::Unlit);
    EXPECT_EQ(wck.look(Lamp::Rate44), Look::Lit);
    EXPECT_EQ(wck.look(Lamp::Rate48), Look::Unlit);
    EXPECT_EQ(wck.look(Lamp::Madi56), Look::Lit);
    EXPECT_EQ(wck.look(Lamp::Madi96k), Look::Lit);

    const PanelState madi = base(with(8, {{param::clockRate, 0x53}, {param::madiFormat, 0x01}}));
    EXPECT_EQ(madi.look(Lamp::ClockMadi), Look::Lit);
    EXPECT_EQ(madi.look(Lamp::RateQuad), Look::Lit);
    EXPECT_EQ(madi.look(Lamp::RateDouble), Look::Unlit);
    EXPECT_EQ(madi.look(Lamp::Rate48), Look::Lit);
    EXPECT_EQ(madi.look(Lamp::Madi56), Look::Unlit);
    EXPECT_EQ(madi.look(Lamp::Madi96k), Look::Unlit);
    EXPECT_EQ(base(with(8, {{param::clockRate, 0x10}})).look(Lamp::ClockInt), Look::Lit);

    const PanelState leds = base(with(8, {{param::statusLeds, 0x05}}));
    EXPECT_EQ(leds.look(Lamp::Status0), Look::Lit);
    EXPECT_EQ(leds.look(Lamp::Status1), Look::Unlit);
    EXPECT_EQ(leds.look(Lamp::Status2), Look::Lit);
}

TEST(BasePanel, SyncStatesLightFlashOrLeaveThePanel) {
    struct Source {
        Lamp lamp;
        int parameter;
        int shift;
    };
    const Source sources[] = {{Lamp::SyncMadi1, param::syncStatus, 0},
                              {Lamp::SyncMadi2, param::syncStatus, 2},
                              {Lamp::SyncWck, param::syncStatus2, 2}};
    const Look expected[] = {Look::Unlit, Look::Unlit, Look::NotDrawn, Look::Lit};
    for (const Source& c : sources) {
        for (int state = 0; state < 4; ++state) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(c.lamp) << " state " << state);
            const DeviceRecord r = with(12, {{c.parameter, state << c.shift}});
            const PanelState s = base(r);
            const Indicator* i = s.find(c.lamp);
            ASSERT_NE(i, nullptr);
            EXPECT_EQ(i->look, expected[state]);
            EXPECT_EQ(i->flashing, state == 1);
            EXPECT_EQ(blinkNeeded(PanelKind::Base, r), state == 1);
            if (state == 1) {
                EXPECT_EQ(base(r, true).look(c.lamp), Look::Lit);
            }
        }
    }
}

TEST(BasePanel, FrameFlashesOnlyAwayFromDoubleSpeed) {
    const DeviceRecord single = with(8, {{param::clockRate, 0x10}, {param::syncStatus, 0x20}});
    EXPECT_TRUE(base(single).find(Lamp::Madi96k)->flashing);
    EXPECT_EQ(base(single, true).look(Lamp::Madi96k), Look::Lit);
    EXPECT_EQ(base(single, false).look(Lamp::Madi96k), Look::Unlit);
    const DeviceRecord twice = with(8, {{param::clockRate, 0x30}, {param::syncStatus, 0x20}});
    EXPECT_FALSE(base(twice).find(Lamp::Madi96k)->flashing);
    EXPECT_TRUE(blinkNeeded(PanelKind::Base, single));
    EXPECT_FALSE(blinkNeeded(PanelKind::Base, twice));
    // The extended panel's own inputs do not concern the base panel.
    EXPECT_FALSE(blinkNeeded(PanelKind::Base,
                             with(8, {{param::syncStatus2, 0x01}, {param::param17, 0x01}})));
}

TEST(BasePanel, BanksAreDisabledInMatrixModeAndTheUpperOneAtDoubleSpeed) {
    const PanelState upper = base(with(8, {{param::routingA, 0x40}, {param::routingB, 0x00}}));
    EXPECT_EQ(upper.look(Lamp::BankHigh), Look::Lit);
    EXPECT_EQ(upper.look(Lamp::BankLow), Look::Unlit);
    EXPECT_EQ(upper.look(Lamp::MatrixMode), Look::Unlit);

    const PanelState matrix = base(with(8, {{param::routingB, 0x40}}));
    EXPECT_EQ(matrix.look(Lamp::BankHigh), Look::Disabled);
    EXPECT_EQ(matrix.look(Lamp::BankLow), Look::Disabled);
    EXPECT_EQ(matrix.look(Lamp::MatrixMode), Look::Lit);

    const PanelState twice = base(with(8, {{param::clockRate, 0x30}, {param::routingA, 0x00}}));
    EXPECT_EQ(twice.look(Lamp::BankHigh), Look::Disabled);
    EXPECT_EQ(twice.look(Lamp::BankLow), Look::Lit);
    const PanelState quad = base(with(8, {{param::clockRate, 0x50}, {param::routingA, 0x40}}));
    EXPECT_EQ(quad.look(Lamp::BankHigh), Look::Lit);
}

TEST(BasePanel, AnalogLevelsByModel) {
    const DeviceRecord high = with(12, {{param::ioOptions, 0x0A}});
    EXPECT_EQ(base(high).look(Lamp::InHigh), Look::Lit);
    EXPECT_EQ(base(high).look(Lamp::InLow), Look::Unlit);
    EXPECT_EQ(base(high).look(Lamp::OutHigh), Look::Lit);
    const DeviceRecord low = with(12, {{param::ioOptions, 0x05}});
    EXPECT_EQ(base(low).look(Lamp::InLow), Look::Lit);
    EXPECT_EQ(base(low).look(Lamp::OutLow), Look::Lit);
    EXPECT_EQ(base(low).look(Lamp::OutHigh), Look::Unlit);
    for (int model : {8, 11, 12, 20, 21, 24}) {
        SCOPED_TRACE(model);
        const PanelState s = base(with(model, {{param::ioOptions, 0x0A}}));
        const bool in = model != 11 && model != 21 && model != 24;
        EXPECT_EQ(s.look(Lamp::InHigh), in ? Look::Lit : Look::Disabled);
        EXPECT_EQ(s.look(Lamp::InLow), in ? Look::Unlit : Look::Disabled);
        EXPECT_EQ(s.look(Lamp::OutHigh), model == 20 ? Look::Disabled : Look::Lit);
    }
}

TEST(BasePanel, FramesMarkThePortInUseOnTheSecondPanelSet) {
    EXPECT_TRUE(base(with(8, {{param::syncStatus, 0x00}})).frames.empty());
    for (int model : {11, 12, 20, 21, 24}) {
        const PanelState one = base(with(model, {{param::syncStatus, 0x0F}}));
        ASSERT_EQ(one.frames.size(), 1u);
        EXPECT_EQ(one.frames[0], QRect(121, 133, 22, 23));
        const PanelState two = base(with(model, {{param::syncStatus, 0x4F}}));
        EXPECT_EQ(two.frames[0], QRect(121, 158, 22, 22));
    }
}

TEST(Panels, TextsAndGauge) {
    DeviceRecord r = with(8, {{param::firmwareMajor, 0},
                              {param::firmwareMinor, 0},
                              {param::temperature, 0},
                              {param::syncStatus2, 0x30}});
    for (PanelKind kind : {PanelKind::Base, PanelKind::Extended}) {
        EXPECT_EQ(panelState(kind, r, false).firmware, "N/A");
        EXPECT_EQ(panelState(kind, r, false).temperature, "N/A");
        EXPECT_EQ(panelState(kind, r, false).gaugeFill, 21);
    }
    r.at(param::firmwareMinor) = 5;
    r.at(param::temperature) = 45;
    r.at(param::syncStatus2) = 0x70;
    EXPECT_EQ(base(r).firmware, "0.5");
    EXPECT_EQ(base(r).temperature, QString("45") + QChar(0xB0) + "C");
    EXPECT_EQ(base(r).gaugeFill, 48); // 7 x 7 stops at the gauge's edge
    r.at(param::firmwareMajor) = 12;
    r.at(param::firmwareMinor) = 0;
    EXPECT_EQ(base(r).firmware, "12.0");
}

TEST(ExtendedPanel, EveryIndicatorSitsAtItsPlace) {
    const Place places[] = {
        {Lamp::ClockInt, 0, {42, 82, 22, 22}},      {Lamp::ClockAes, 0, {42, 108, 22, 22}},
        {Lamp::ClockWck, 0, {42, 134, 22, 22}},     {Lamp::ClockMadi, 0, {42, 186, 22, 22}},
        {Lamp::SyncAes, 0, {122, 108, 22, 22}},     {Lamp::SyncWck, 0, {122, 134, 22, 22}},
        {Lamp::Term, 0, {122, 160, 62, 22}},        {Lamp::SyncMadi, 0, {122, 186, 22, 22}},
        {Lamp::RateQuad, 0, {197, 82, 22, 22}},     {Lamp::RateDouble, 0, {197, 108, 22, 22}},
        {Lamp::Rate48, 0, {197, 134, 22, 22}},      {Lamp::Rate44, 0, {197, 160, 22, 22}},
        {Lamp::Madi56, 0, {305, 82, 22, 22}},       {Lamp::Madi96k, 0, {305, 108, 22, 22}},
        {Lamp::PortMadi1, 0, {305, 156, 22, 22}},   {Lamp::PortMadi2, 0, {305, 182, 22, 22}},
        {Lamp::InHigh, 0, {423, 82, 22, 22}},       {Lamp::InLow, 0, {423, 108, 22, 22}},
        {Lamp::OutHigh, 0, {423, 159, 22, 22}},     {Lamp::OutLow, 0, {423, 185, 22, 22}},
        {Lamp::Status0, 0, {557, 82, 22, 22}},      {Lamp::Status1, 0, {557, 108, 22, 22}},
        {Lamp::MatrixMode, 0, {521, 234, 140, 23}}, {Lamp::Status2, 0, {521, 263, 140, 23}},
        {Lamp::Input, 0, {42, 248, 22, 22}},        {Lamp::Input, 3, {120, 248, 22, 22}},
        {Lamp::Input, 4, {158, 248, 22, 22}},       {Lamp::Input, 8, {274, 248, 22, 22}},
        {Lamp::Input, 12, {390, 248, 22, 22}},      {Lamp::Input, 15, {468, 248, 22, 22}},
        {Lamp::Input, 16, {42, 325, 22, 22}},       {Lamp::Input, 31, {468, 325, 22, 22}},
        {Lamp::Src, 0, {42, 405, 100, 22}},         {Lamp::Src, 1, {159, 405, 100, 22}},
        {Lamp::Src, 2, {276, 405, 100, 22}},        {Lamp::Src, 3, {393, 405, 100, 22}},
    };
    const PanelState s = extended(with(19, {{param::statusLeds, 0x04}}));
    EXPECT_EQ(s.panelSize, QSize(710, 500));
    for (const Place& p : places) {
        const Indicator* i = s.find(p.lamp, p.index);
        ASSERT_NE(i, nullptr) << static_cast<int>(p.lamp) << " " << p.index;
        EXPECT_EQ(i->rect, p.rect) << static_cast<int>(p.lamp) << " " << p.index;
    }
}

TEST(ExtendedPanel, RowsPortsAndConvertersByModel) {
    struct Case {
        int model;
        bool ports, secondRow;
        int converterY; // 0: none
        int height;
    };
    const Case cases[] = {{9, false, false, 0, 370}, {10, false, false, 325, 370},
                          {13, true, false, 0, 370}, {14, true, false, 325, 370},
                          {18, true, true, 0, 370},  {19, true, true, 405, 500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const PanelState s =
            extended(with(c.model, {{param::srcEnable, 0x0F}, {param::syncStatus, 0x0F}}));
        EXPECT_EQ(s.panelSize.height(), c.height);
        EXPECT_EQ(s.find(Lamp::PortMadi1) != nullptr, c.ports);
        EXPECT_EQ(s.frames.size(), c.ports ? 1u : 0u);
        EXPECT_EQ(s.find(Lamp::Input, 16) != nullptr, c.secondRow);
        EXPECT_NE(s.find(Lamp::Input, 15), nullptr);
        const Indicator* src = s.find(Lamp::Src, 2);
        ASSERT_EQ(src != nullptr, c.converterY != 0);
        if (src != nullptr) {
            EXPECT_EQ(src->rect.y(), c.converterY);
            EXPECT_EQ(src->look, Look::Lit);
        }
    }
}

TEST(ExtendedPanel, ClockSources) {
    const Lamp lamps[] = {Lamp::ClockInt, Lamp::ClockAes, Lamp::ClockWck, Lamp::ClockMadi};
    for (int source = 0; source < 4; ++source) {
        const PanelState s = extended(with(9, {{param::clockRate, 0x10 | source}}));
        for (int l = 0; l < 4; ++l) {
            EXPECT_EQ(s.look(lamps[l]), l == source ? Look::Lit : Look::Unlit);
        }
        const Indicator* t = s.find(Lamp::Term);
        EXPECT_EQ(t->look, source == 2 ? Look::Unlit : Look::Disabled);
        EXPECT_EQ(t->rect.width(), source == 2 ? 22 : 62);
    }
    EXPECT_EQ(extended(with(9, {{param::clockRate, 0x16}})).look(Lamp::Term), Look::Lit);
}

TEST(ExtendedPanel, AesSyncSumsUpTheInputs) {
    EXPECT_EQ(extended(with(9, {})).look(Lamp::SyncAes), Look::Unlit);
    EXPECT_EQ(extended(with(9, {{param::syncStatus2, 0x03}})).look(Lamp::SyncAes), Look::Lit);
    EXPECT_EQ(extended(with(9, {{param::delayOptions, 0x30}})).look(Lamp::SyncAes), Look::Lit);
    // A flashing input wins over a lit one.
    const DeviceRecord r = with(9, {{param::param17, 0x0D}});
    EXPECT_TRUE(extended(r).find(Lamp::SyncAes)->flashing);
    EXPECT_EQ(extended(r, false).look(Lamp::SyncAes), Look::Unlit);
    EXPECT_EQ(extended(r, true).look(Lamp::SyncAes), Look::Lit);
    // The AES units' second row counts too.
    EXPECT_EQ(extended(with(18, {{param::aesOptions, 0x03}})).look(Lamp::SyncAes), Look::Lit);
    EXPECT_EQ(extended(with(9, {{param::aesOptions, 0x03}})).look(Lamp::SyncAes), Look::Unlit);
}

TEST(ExtendedPanel, WordClockAndMadiSync) {
    const Look wck[] = {Look::Unlit, Look::Unlit, Look::NotDrawn, Look::Lit};
    for (int state = 0; state < 4; ++state) {
        const PanelState s = extended(with(9, {{param::syncStatus2, state << 2}}));
        EXPECT_EQ(s.look(Lamp::SyncWck), wck[state]) << state;
        EXPECT_EQ(s.find(Lamp::SyncWck)->flashing, state == 1);
    }
    EXPECT_EQ(extended(with(9, {{param::syncStatus, 0x00}})).look(Lamp::SyncMadi), Look::Unlit);
    EXPECT_EQ(extended(with(9, {{param::syncStatus, 0x08}})).look(Lamp::SyncMadi), Look::Lit);
    EXPECT_EQ(extended(with(9, {{param::syncStatus, 0x03}})).look(Lamp::SyncMadi), Look::Lit);
    const DeviceRecord flashing = with(9, {{param::syncStatus, 0x07}}); // port 2 flashes
    EXPECT_TRUE(extended(flashing).find(Lamp::SyncMadi)->flashing);
    EXPECT_EQ(extended(flashing, true).look(Lamp::SyncMadi), Look::Lit);
}

TEST(ExtendedPanel, PortIndicatorsAndFrames) {
    const PanelState s = extended(with(13, {{param::syncStatus, 0x4D}})); // port 1 flashes, 2 lit
    EXPECT_TRUE(s.find(Lamp::PortMadi1)->flashing);
    EXPECT_EQ(s.look(Lamp::PortMadi2), Look::Lit);
    ASSERT_EQ(s.frames.size(), 1u);
    EXPECT_EQ(s.frames[0], QRect(303, 185, 22, 22));
    const PanelState idle = extended(with(14, {{param::syncStatus, 0x08}}));
    EXPECT_EQ(idle.look(Lamp::PortMadi1), Look::Unlit);
    EXPECT_EQ(idle.look(Lamp::PortMadi2), Look::NotDrawn);
    EXPECT_EQ(idle.frames[0], QRect(303, 158, 22, 22));
    EXPECT_EQ(extended(with(10, {{param::syncStatus, 0x0F}})).look(Lamp::PortMadi1),
              Look::NotDrawn);
}

TEST(ExtendedPanel, LevelsAndStatus) {
    const PanelState s = extended(
        with(19, {{param::ioOptions, 0x06}, {param::statusLeds, 0x02}, {param::routingB, 0x40}}));
    EXPECT_EQ(s.look(Lamp::InHigh), Look::Lit);
    EXPECT_EQ(s.look(Lamp::InLow), Look::Unlit);
    EXPECT_EQ(s.look(Lamp::OutLow), Look::Lit);
    EXPECT_EQ(s.look(Lamp::OutHigh), Look::Unlit);
    EXPECT_EQ(s.look(Lamp::Status0), Look::Unlit);
    EXPECT_EQ(s.look(Lamp::Status1), Look::Lit);
    EXPECT_EQ(s.look(Lamp::Status2), Look::NotDrawn);
    EXPECT_EQ(s.look(Lamp::MatrixMode), Look::Lit);
}

TEST(ExtendedPanel, InputRowsShowEveryState) {
    // 0x1D: states 1, 3, 1 (bits 0-1, 2-3, 4-5).
    const DeviceRecord r =
        with(9, {{param::param17, 0x1D}, {param::param19, 0x02}, {param::syncStatus2, 0x03}});
    const PanelState off = extended(r, false);
    const PanelState on = extended(r, true);
    EXPECT_TRUE(off.find(Lamp::Input, 0)->flashing);
    EXPECT_EQ(off.look(Lamp::Input, 0), Look::Unlit);
    EXPECT_EQ(on.look(Lamp::Input, 0), Look::Lit);
    EXPECT_EQ(off.look(Lamp::Input, 1), Look::Lit);
    EXPECT_FALSE(off.find(Lamp::Input, 1)->flashing);
    EXPECT_TRUE(off.find(Lamp::Input, 2)->flashing);
    EXPECT_EQ(off.look(Lamp::Input, 6), Look::Unlit); // state 2 shows unlit
    EXPECT_EQ(off.look(Lamp::Input, 15), Look::Lit);  // the 16th LED: syncStatus2 bits 0-1
    EXPECT_TRUE(blinkNeeded(PanelKind::Extended, r));

    const DeviceRecord aes = with(19, {{param::calibration1Low, 0x03}, {param::aesOptions, 0x3D}});
    const PanelState s = extended(aes);
    EXPECT_EQ(s.look(Lamp::Input, 16), Look::Lit);   // sixth status byte
    EXPECT_EQ(s.look(Lamp::Input, 31), Look::Unlit); // eleventh byte, bits 0-1 = 1 flashes
    EXPECT_TRUE(s.find(Lamp::Input, 31)->flashing);
}

TEST(ExtendedPanel, BlinkTriggers) {
    const std::pair<int, int> triggers[] = {
        {param::syncStatus, 0x01},  {param::syncStatus, 0x04}, {param::syncStatus2, 0x04},
        {param::syncStatus2, 0x01}, {param::param17, 0x10},    {param::delayOptions, 0x04}};
    for (const auto& [p, v] : triggers) {
        EXPECT_TRUE(blinkNeeded(PanelKind::Extended, with(9, {{p, v}}))) << p << " " << v;
    }
    EXPECT_TRUE(blinkNeeded(PanelKind::Extended, with(19, {{param::ledDim2, 0x01}})));
    EXPECT_FALSE(blinkNeeded(PanelKind::Extended, with(9, {{param::ledDim2, 0x01}})));
    EXPECT_FALSE(blinkNeeded(
        PanelKind::Extended,
        with(9, {{param::syncStatus, 0x0F}, {param::param17, 0x3F}, {param::syncStatus2, 0x0F}})));
}

TEST(Panels, ImagesByModel) {
    EXPECT_EQ(imagesFor(PanelKind::Base, 8), (PanelImages{100, 120, 123}));
    for (int model : {11, 12, 20, 21, 24}) {
        EXPECT_EQ(imagesFor(PanelKind::Base, model), (PanelImages{159, 160, 158}));
    }
    EXPECT_FALSE(imagesFor(PanelKind::Base, 9));
    const std::pair<int, PanelImages> px[] = {{9, {164, 170, 164}},  {10, {168, 170, 164}},
                                              {13, {166, 170, 164}}, {14, {171, 170, 164}},
                                              {18, {194, 197, 164}}, {19, {196, 197, 164}}};
    for (const auto& [model, images] : px) {
        EXPECT_EQ(imagesFor(PanelKind::Extended, model), images);
    }
    EXPECT_FALSE(imagesFor(PanelKind::Extended, 12));
    EXPECT_EQ(initialImages(PanelKind::Extended), (PanelImages{164, 170, 164}));
}
