#include "gui/view_geometry.h"

#include "protocol/catalog.h"

namespace varento {

namespace {

// Units with the base front panel have the shorter remote window.
bool basePanel(int model) {
    return frontPanel(model) == FrontPanel::Base;
}

} // namespace

SizeLimits sizeLimits(ViewMode mode, int model, const FrameMetrics& f) {
    const int chrome = f.frameX + f.frameY + f.statusHeight;
    switch (mode) {
    case ViewMode::Matrix:
        return {{830, 300}, {830, chrome + 900}};
    case ViewMode::Gain: {
        const int h = chrome + 680;
        return {{2 * f.frameX + 200, h}, {2 * f.frameX + 960, h}};
    }
    case ViewMode::Button: {
        const int h = chrome + 460;
        return {{2 * f.frameX + 200, h}, {2 * f.frameX + 700, h}};
    }
    case ViewMode::Device:
        break;
    }
    const int height = basePanel(model) ? 400 : model == 19 ? 590 : 500;
    const QSize fixed(710, f.frameX + height);
    return {fixed, fixed};
}

QSize deviceViewSize(int model, const FrameMetrics& f) {
    return {2 * (355 - f.frameX), basePanel(model) ? 400 : 500};
}

QSize contentSizeAfterResize(ViewMode mode, QSize client, const FrameMetrics& f, ViewSizes& sizes) {
    const int w = client.width();
    const int h = client.height();
    switch (mode) {
    case ViewMode::Matrix:
        sizes.matrix = {w + 2 * f.frameX, f.frameX + f.frameY + h};
        return {810, h - 73};
    case ViewMode::Gain:
        sizes.gain = {w + 2 * f.frameX, h};
        return {w, 630};
    case ViewMode::Button:
        sizes.button = {w + 2 * f.frameX, h};
        return {w, 410};
    case ViewMode::Device:
        break;
    }
    return {};
}

} // namespace varento
