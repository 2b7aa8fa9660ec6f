#pragma once

#include "app/app_state.h"

#include <QSize>

namespace varento {

// Where the client area sits inside the window frame, as measured once the
// window is shown: left border, top border + caption + menu, status bar height.
struct FrameMetrics {
    int frameX = 0;
    int frameY = 0;
    int statusHeight = 0;
};

// Window sizes (frame included) by view and model.
struct SizeLimits {
    QSize minimum;
    QSize maximum;
};

SizeLimits sizeLimits(ViewMode mode, int model, const FrameMetrics& frame);
// The size the device view switches to.
QSize deviceViewSize(int model, const FrameMetrics& frame);

// The sizes a view switches to, as the user last left them.
struct ViewSizes {
    QSize matrix{830, 1000};
    QSize gain{978, 760};
    QSize button{710, 540};
};

// The client area was resized to `client` in `mode`: the content window's new size
// (empty in the device view) and the remembered view size are updated.
QSize contentSizeAfterResize(ViewMode mode, QSize client, const FrameMetrics& frame,
                             ViewSizes& sizes);

} // namespace varento
