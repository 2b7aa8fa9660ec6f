// The faders: the knob, the gain and the output-level tracks and their inactive forms.
#include "ui/skin/skin.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <vector>

namespace varento::skin {

namespace {

constexpr QSize kKnobSize{18, 36};
constexpr QSize kGainTrackSize{25, 200};
constexpr QSize kLevelTrackSize{25, 232};

// Where a value's knob centre lies on a track (track pixels, the track starts at
// window y 20 and the knob's centre is 18 below its top edge).
qreal gainMark(int gain) {
    return 207.0 - 3.0 * gain;
}

qreal levelMark(int level) {
    return level >= -68 ? 55.0 - 2.0 * level : 121.0 - level;
}

struct Mark {
    qreal y;
    bool major;
};

// Anthracite strip, a recessed slot down the middle and engraved scale marks on
// both sides of it, as on a console's channel strip.
void drawTrack(QPainter& p, QSize size, std::span<const Mark> marks, qreal unityY, bool active) {
    const qreal w = size.width();
    const qreal h = size.height();
    QLinearGradient face(0, 0, w, 0);
    face.setColorAt(0, active ? QColor(52, 54, 58) : QColor(58, 58, 58));
    face.setColorAt(0.5, active ? QColor(66, 69, 74) : QColor(64, 64, 64));
    face.setColorAt(1, active ? QColor(48, 50, 54) : QColor(56, 56, 56));
    p.fillRect(QRectF(0, 0, w, h), face);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.drawLine(QPointF(0.5, 0), QPointF(0.5, h));
    p.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    p.drawLine(QPointF(w - 0.5, 0), QPointF(w - 0.5, h));

    // Marks: white ink while active, barely there when the channel is off.
    const QColor ink = active ? QColor(214, 218, 224) : QColor(110, 110, 110);
    for (const Mark& mark : marks) {
        const qreal length = mark.major ? 6.0 : 3.5;
        p.setPen(QPen(ink, mark.major ? 1.0 : 0.8));
        p.drawLine(QPointF(9.5 - length, mark.y), QPointF(9.5, mark.y));
        p.drawLine(QPointF(15.5, mark.y), QPointF(15.5 + length, mark.y));
    }
    if (active && unityY > 0) {
        // Unity stands out in the colour of the lit keys.
        p.setPen(QPen(kLedAmber, 1.2));
        p.drawLine(QPointF(2.0, unityY), QPointF(9.5, unityY));
        p.drawLine(QPointF(15.5, unityY), QPointF(w - 2.0, unityY));
    }

    // The slot: dark, with a shadowed upper lip and a lit lower one.
    const QRectF slot(w / 2.0 - 2.0, 6.0, 4.0, h - 12.0);
    p.setPen(Qt::NoPen);
    p.setBrush(active ? QColor(10, 10, 12) : QColor(30, 30, 30));
    p.drawRoundedRect(slot, 2.0, 2.0);
    QLinearGradient depth(slot.left(), 0, slot.right(), 0);
    depth.setColorAt(0, QColor(0, 0, 0, 160));
    depth.setColorAt(0.5, QColor(0, 0, 0, 0));
    depth.setColorAt(1, QColor(255, 255, 255, 30));
    p.setBrush(depth);
    p.drawRoundedRect(slot, 2.0, 2.0);
    p.setPen(QPen(QColor(255, 255, 255, active ? 40 : 20), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(slot.left(), slot.bottom() + 0.6),
               QPointF(slot.right(), slot.bottom() + 0.6));
}

std::vector<Mark> gainMarks() {
    std::vector<Mark> marks;
    for (int gain = 10; gain <= 60; gain += 5) {
        marks.push_back({gainMark(gain), gain % 10 == 0});
    }
    marks.push_back({gainMark(63), true});
    marks.push_back({gainMark(8) - 1.0, true});
    return marks;
}

std::vector<Mark> levelMarks() {
    std::vector<Mark> marks;
    for (int level = 10; level >= -60; level -= 5) {
        marks.push_back({levelMark(level), level % 10 == 0});
    }
    marks.push_back({levelMark(18), true});
    marks.push_back({levelMark(-80), false});
    marks.push_back({levelMark(-91), true}); // off
    return marks;
}

void drawGainTrack(QPainter& p, QSize size, bool active) {
    const std::vector<Mark> marks = gainMarks();
    drawTrack(p, size, marks, gainMark(38), active);
}

void drawLevelTrack(QPainter& p, QSize size, bool active) {
    const std::vector<Mark> marks = levelMarks();
    drawTrack(p, size, marks, levelMark(0), active);
}

// A cap seen from the front: a dark moulded body, a brushed metal top with fine
// grip grooves above and below, and the white line across its middle that reads
// the scale.
void drawKnob(QPainter& p, QSize size) {
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    // A soft drop shadow into the track below.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(body.translated(0.6, 1.0), 2.5, 2.5);

    QLinearGradient moulding(0, 0, 0, size.height());
    moulding.setColorAt(0, QColor(62, 64, 68));
    moulding.setColorAt(0.5, QColor(28, 29, 32));
    moulding.setColorAt(1, QColor(18, 18, 20));
    p.setPen(QPen(QColor(8, 8, 10), 1.0));
    p.setBrush(moulding);
    p.drawRoundedRect(body, 2.5, 2.5);

    // The metal cap: cylinder shading across, lighter towards the top.
    const QRectF cap(2.0, 2.0, size.width() - 4.0, size.height() - 4.0);
    QLinearGradient metal(cap.left(), 0, cap.right(), 0);
    metal.setColorAt(0, QColor(120, 124, 130));
    metal.setColorAt(0.3, QColor(214, 218, 224));
    metal.setColorAt(0.55, QColor(236, 238, 242));
    metal.setColorAt(1, QColor(128, 132, 138));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawRoundedRect(cap, 1.5, 1.5);
    QLinearGradient fall(0, cap.top(), 0, cap.bottom());
    fall.setColorAt(0, QColor(255, 255, 255, 60));
    fall.setColorAt(0.5, QColor(0, 0, 0, 0));
    fall.setColorAt(1, QColor(0, 0, 0, 70));
    p.setBrush(fall);
    p.drawRoundedRect(cap, 1.5, 1.5);

    // Grip grooves, each a dark line with a highlight under it.
    const qreal middle = size.height() / 2.0;
    for (qreal y = cap.top() + 3.0; y < cap.bottom() - 2.0; y += 3.0) {
        if (qAbs(y - middle) < 4.0) {
            continue;
        }
        p.setPen(QPen(QColor(40, 42, 46, 150), 0.8));
        p.drawLine(QPointF(cap.left() + 0.8, y), QPointF(cap.right() - 0.8, y));
        p.setPen(QPen(QColor(255, 255, 255, 110), 0.6));
        p.drawLine(QPointF(cap.left() + 0.8, y + 0.8), QPointF(cap.right() - 0.8, y + 0.8));
    }

    // The line: a dark recess holding a white stripe.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 22));
    p.drawRect(QRectF(cap.left(), middle - 2.0, cap.width(), 4.0));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(cap.left(), middle - 0.75, cap.width(), 1.5));
}

const std::array kFaderArt{
    Art{177, kKnobSize, drawKnob},
    Art{178, kGainTrackSize, [](QPainter& p, QSize s) { drawGainTrack(p, s, true); }},
    Art{179, kGainTrackSize, [](QPainter& p, QSize s) { drawGainTrack(p, s, false); }},
    Art{202, kLevelTrackSize, [](QPainter& p, QSize s) { drawLevelTrack(p, s, true); }},
    Art{208, kLevelTrackSize, [](QPainter& p, QSize s) { drawLevelTrack(p, s, false); }},
};

} // namespace

std::span<const Art> faderArt() {
    return kFaderArt;
}

// The major marks carry the figures.
std::span<const ScaleFigure> gainTrackFigures() {
    static const std::vector<ScaleFigure> figures = [] {
        std::vector<ScaleFigure> out;
        for (int gain = 10; gain <= 60; gain += 10) {
            out.push_back({gain, gainMark(gain)});
        }
        return out;
    }();
    return figures;
}

std::span<const ScaleFigure> levelTrackFigures() {
    static const std::vector<ScaleFigure> figures = [] {
        std::vector<ScaleFigure> out;
        for (int level = 10; level >= -60; level -= 10) {
            out.push_back({level, levelMark(level)});
        }
        return out;
    }();
    return figures;
}

} // namespace varento::skin
