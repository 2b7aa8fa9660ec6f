#include "ui/models/gain_layout.h"

#include <algorithm>

namespace varento::gain_layout {

ChannelNumber channelNumber(int c, int page) {
    const int number = c + 1 + 32 * page;
    int x = 12 + 25 * c + 10 * (c / 8);
    int y = kNumberY;
    if (number >= 10) {
        x -= 4;
    }
    const bool small = number >= 100;
    if (small) {
        x -= 2;
        y += 2;
    }
    return {number, {x, y}, small};
}

int focusScroll(int n, int offset, int width) {
    const int k = 10 * (n / 8);
    if ((offset - k) / kScrollStep >= n) {
        return -1;
    }
    if (n >= (width - k) / kScrollStep + (offset - k) / kScrollStep) {
        return 1;
    }
    return 0;
}

} // namespace varento::gain_layout
