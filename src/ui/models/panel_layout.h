#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace varento::panel {

enum class PanelKind { Base, Extended };

// Every indicator of the two front panels.
enum class Lamp {
    ClockInt,
    ClockAes,
    ClockWck,
    ClockMadi,
    Term, // word-clock termination: the LED and its legend, greyed out as one
    SyncAes,
    SyncWck,
    SyncMadi,
    SyncMadi1,
    SyncMadi2,
    RateQuad,
    RateDouble,
    Rate48,
    Rate44,
    Madi56,
    Madi96k,
    BankHigh,
    BankLow,
    PortMadi1,
    PortMadi2,
    InHigh,
    InLow,
    OutHigh,
    OutLow,
    Status0,
    Status1,
    Status2,
    MatrixMode,
    Input, // index 0..15 first row, 16..31 second row
    Src,   // index 0..3, one per group of eight channels
};

enum class LegendSide { Right, Above, Inside };

// One indicator: where the logic copies it from the lit, unlit or disabled panel
// image, and the legend the artwork prints beside it.
struct Spot {
    Lamp lamp;
    int index = 0;
    QRect rect;
    QString legend;
    LegendSide side = LegendSide::Right;
};

// A printed heading over a group of indicators.
struct Caption {
    QPoint at; // left end of the text's top line
    QString text;
};

// What one model's panel shows: the indicators it has, their headings, and the
// places of the texts and the gauge drawn over it.
struct PanelLayout {
    PanelKind kind = PanelKind::Base;
    int model = 0;
    QSize size;
    std::vector<Spot> spots;
    std::vector<Caption> captions;
    QString brand;

    const Spot* find(Lamp lamp, int index = 0) const;
};

inline constexpr QSize kLedSize{22, 22};
inline constexpr QPoint kFirmwareAt{275, 23};
inline constexpr QPoint kTemperatureAt{410, 23};
inline constexpr QRect kGauge{531, 13, 48, 22};
inline constexpr int kBaseWindowHeight = 400;
inline constexpr int kExtendedWindowHeight = 465;
inline constexpr int kPanelWidth = 710;

// The panel of `model` in the window of `kind`; a model the window does not know
// gets the window's first panel set (model 8, or model 9).
PanelLayout layoutFor(PanelKind kind, int model);

// x of the n-th LED (from 0) of an input status row: 26 pixels apart, with a
// wider gap after every fourth.
int inputColumn(int n);

} // namespace varento::panel
