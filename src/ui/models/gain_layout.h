#pragma once

#include <QPoint>

namespace varento::gain_layout {

// Where the gain window puts its 32 channel strips, and how it scrolls. Shared
// by the window, its model and the tests, so positions are stated once.
inline constexpr int kChannels = 32;
inline constexpr int kPages = 4; // microphone units the Switch Device column reaches
inline constexpr int kWidth = 994;
inline constexpr int kHeight = 760;
inline constexpr int kScrollMax = 959; // the scroll range is 0..kScrollMax
inline constexpr int kScrollStep = 25;
inline constexpr int kMeterY = 50;
inline constexpr int kNumberY = 271;
inline constexpr int kFaderY = 290;
inline constexpr int kP48Y = 530;
inline constexpr int kPadY = 553;

// Left edge of strip c: eight strips, a 10-pixel gap, the next eight.
constexpr int stripX(int c) {
    return 5 + 25 * c + 10 * (c / 8);
}

// The number over strip c on Switch Device page `page`: each unit counts on from
// the one before (1-32, 33-64, ...). Two-digit numbers sit 4 pixels further left;
// from 100 on (the fourth unit) 2 more pixels left and 2 down, in the small font.
struct ChannelNumber {
    int number;
    QPoint at; // top left, before scrolling
    bool small;
};
ChannelNumber channelNumber(int c, int page);

// Which way to scroll so strip n shows after it took the focus: -1 one step
// left, +1 one step right, 0 it is in view.
int focusScroll(int n, int offset, int width);

} // namespace varento::gain_layout
