#include "ui/views/controls_gallery.h"

#include "ui/controls/fader.h"
#include "ui/controls/level_meter.h"
#include "ui/skin/skin.h"

#include <QPainter>

namespace varento {

namespace {

constexpr int kTop = 30;
constexpr int kStrip = 32;

struct FaderState {
    FaderModel::Kind kind;
    const char* label;
    int value; // gain in dB, or output level in dB
    bool selected = false;
    bool pad = false;
    bool active = true;
    bool popup = false;
};

struct MeterState {
    float level;
    float peak;
};

} // namespace

ControlsGallery::ControlsGallery(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Controls Gallery"));
    setWindowTitle(QStringLiteral("Controls"));
    setFixedSize(18 * kStrip + 20, kTop + 290);
    clock_.setTimeSource([this] { return now_; });
    addFaders();
    addMeters();
}

void ControlsGallery::addFaders() {
    using Kind = FaderModel::Kind;
    const FaderState states[] = {
        {Kind::Gain, "Kick", 38},
        {Kind::Gain, "Snare", 44, true},
        {Kind::Gain, "Vox 1", 52, true, false, true, true},
        {Kind::Gain, "OH L", 30, false, true},
        {Kind::Gain, "Spare", 8, false, false, false},
        {Kind::Level, "Main L", 0},
        {Kind::Level, "Main R", -12, true},
        {Kind::Level, "Mon 1", 6, false, false, true, true},
        {Kind::Level, "Mon 2", -90},
        {Kind::Level, "Spare", 0, false, false, false},
    };
    int x = 10;
    int id = 0;
    for (const FaderState& state : states) {
        auto* fader = new Fader(state.kind, id++, this);
        FaderModel& model = fader->model();
        model.setLabel(QString::fromLatin1(state.label));
        model.setPosition(state.kind == Kind::Gain ? FaderModel::gainPosition(state.value)
                                                   : FaderModel::levelPosition(state.value));
        model.setSelected(state.selected);
        model.setPad(state.pad);
        model.setActive(state.active);
        if (state.popup) {
            model.keyPress(Qt::Key_Down, Qt::NoModifier); // the value pop-up, as after a key
        }
        fader->move(x, kTop + (state.kind == Kind::Gain ? 32 : 0));
        x += kStrip;
    }
}

void ControlsGallery::addMeters() {
    const MeterState states[] = {
        {-90.0F, -90.0F}, {-40.0F, -24.0F}, {-24.0F, -12.0F}, {-6.0F, -1.0F},
        {-1.0F, -0.5F},   {0.0F, 0.0F},     {-60.0F, -18.0F}, {-12.0F, -3.0F},
    };
    int x = 10 + 10 * kStrip + 10;
    for (const MeterState& state : states) {
        auto* meter = new LevelMeter(clock_, this);
        // The peak first, then the level: the bar falls to the level and the peak
        // line stays where the peak was.
        for (const float db : {state.peak, state.peak, state.level}) {
            meter->feed(db);
            now_ += 20;
            clock_.tick();
        }
        for (int i = 0; i < 400; ++i) {
            now_ += MeterClock::kTickMs;
            clock_.tick();
            meter->feed(state.level);
        }
        meter->move(x, kTop + 40);
        x += kStrip - 4;
    }
}

void ControlsGallery::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), skin::kPanel);
    p.setPen(skin::kPanelText);
    QFont caption = font();
    caption.setPixelSize(11);
    caption.setBold(true);
    p.setFont(caption);
    p.drawText(QRect(10, 6, 5 * kStrip, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Fader"));
    p.drawText(QRect(10 + 5 * kStrip, 6, 5 * kStrip, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Fader Long"));
    p.drawText(QRect(20 + 10 * kStrip, 6, 8 * kStrip, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Levelmeter"));
}

} // namespace varento
