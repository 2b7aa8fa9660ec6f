#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <span>

class QPainter;

namespace varento::skin {

// The program's palette: a brushed-aluminium top bar with dark-blue legends over
// anthracite panels, as on the units' own front plates.
inline const QColor kTopBarText{2, 55, 112};
inline const QColor kPanel{70, 70, 70};
inline const QColor kPanelRaised{90, 90, 90};
inline const QColor kPanelLine{120, 120, 120};
inline const QColor kPanelText{221, 221, 221};
inline const QColor kLedGreen{64, 220, 96};
inline const QColor kLedBlue{70, 170, 255};
inline const QColor kLedAmber{255, 170, 40};

// One numbered bitmap: its stated size and how to draw it in logical pixels.
struct Art {
    int number;
    QSize size;
    void (*draw)(QPainter& painter, QSize size);
};

// Every numbered bitmap the program draws, at its stated size in logical pixels.
// Unknown numbers give an invalid size and a null pixmap.
QSize bitmapSize(int number);
bool hasBitmap(int number);
// Drawn on first use for each device pixel ratio and kept, so repaints only blit.
QPixmap bitmap(int number, qreal devicePixelRatio);

// The artwork tables, one per group of views; a new view adds its table here and
// in skin.cpp.
std::span<const Art> topBarArt();
// The remote windows: the front panels of every model, the gauge and the panel keys.
std::span<const Art> panelArt();
// The matrix window: backgrounds, cell marks, bank and preset keys.
std::span<const Art> matrixArt();
// The faders: the knob and the two tracks, each with its inactive form.
std::span<const Art> faderArt();
// The level meters: the lit and the dark bar.
std::span<const Art> meterArt();
// The channel switches of the gain window and the meterbridge, and the project keys.
std::span<const Art> gainArt();
// The 100 x 67 keys: commissioning panel, trigger window, Switch Device.
std::span<const Art> buttonArt();

// The figured marks of the meter and fader scales: a dB figure and the row it stands
// at, in the bitmap's own pixels (the meter bar's, a fader track's).
struct ScaleFigure {
    int db;
    qreal y;
};
std::span<const ScaleFigure> meterScaleFigures();
std::span<const ScaleFigure> gainTrackFigures();
std::span<const ScaleFigure> levelTrackFigures();

// The program's icon (resource 103) at `size` x `size` pixels: the window's icon
// and the installed icon files are both drawn by it.
void drawAppIcon(QPainter& painter, int size);
QIcon appIcon();

// Helpers shared by the tables.
void drawKeyCap(QPainter& painter, QSize size, bool pressed, bool hover);
void drawLed(QPainter& painter, QPointF centre, qreal radius, const QColor& colour, bool lit);

} // namespace varento::skin
