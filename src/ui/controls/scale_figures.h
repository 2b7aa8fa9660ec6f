#pragma once

#include "ui/skin/skin.h"

#include <span>

class QPainter;

namespace varento {

// The dB figures of a meter or fader scale, written in the narrow gap beside a block
// of strips. Magnitudes only, as on a console: a meter reads below 0 dBFS, and a
// fader's figures run both ways from its unity mark, which stands out. Each figure
// is centred on `centreX` and squeezed into `room` pixels; `top` is where the
// bitmap the figures belong to starts.
void drawScaleFigures(QPainter& painter, std::span<const skin::ScaleFigure> figures, int centreX,
                      int top, int room);

} // namespace varento
