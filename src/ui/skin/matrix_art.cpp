// The matrix window: its two backgrounds, the two cell marks and the bank keys.
#include "ui/models/matrix_geometry.h"
#include "ui/skin/skin.h"

#include <QPainter>

#include <array>

namespace varento::skin {

namespace {

// The grid as the window lays it out: 32 x 32 cells of 20 pixels from (94, 172).
using matrix_geometry::kCell;
using matrix_geometry::kCells;
using matrix_geometry::kGridX;
using matrix_geometry::kGridY;

const QColor kPaper{236, 238, 236};
const QColor kCellLight{250, 251, 250};
const QColor kCellBand{238, 242, 239};
const QColor kLine{206, 212, 208};
const QColor kLineStrong{150, 166, 160};
const QColor kHeaderBand{224, 229, 226};
const QColor kInk{96, 124, 119};

// Header bands, then the cells with a stronger line every eight, so a channel
// is found by its group at a glance.
void drawGrid(QPainter& p, int columns, int rows) {
    const QRect grid(kGridX, kGridY, columns * kCell, rows * kCell);
    p.fillRect(QRect(kGridX, 110, columns * kCell, kGridY - 110), kHeaderBand);
    p.fillRect(QRect(30, kGridY, kGridX - 30, rows * kCell), kHeaderBand);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const bool band = ((r / 8) + (c / 8)) % 2 == 1;
            p.fillRect(QRect(kGridX + c * kCell, kGridY + r * kCell, kCell, kCell),
                       band ? kCellBand : kCellLight);
        }
    }
    for (int c = 0; c <= columns; ++c) {
        p.setPen(QPen(c % 8 == 0 || c == columns ? kLineStrong : kLine, 1.0));
        const qreal x = kGridX + c * kCell - 0.5;
        p.drawLine(QPointF(x, 110), QPointF(x, grid.bottom() + 0.5));
    }
    for (int r = 0; r <= rows; ++r) {
        p.setPen(QPen(r % 8 == 0 || r == rows ? kLineStrong : kLine, 1.0));
        const qreal y = kGridY + r * kCell - 0.5;
        p.drawLine(QPointF(30, y), QPointF(grid.right() + 0.5, y));
    }
}

void drawPaper(QPainter& p, QSize size) {
    p.fillRect(QRect(QPoint(0, 0), size), kPaper);
    // The strip of the bank keys and switches.
    QLinearGradient strip(0, 0, 0, 108);
    strip.setColorAt(0, QColor(70, 74, 80));
    strip.setColorAt(1, QColor(52, 56, 62));
    p.fillRect(QRect(0, 0, size.width(), 108), strip);
    p.setPen(QPen(QColor(30, 32, 36), 1.0));
    p.drawLine(QPointF(0, 107.5), QPointF(size.width(), 107.5));
}

void drawBackground(QPainter& p, QSize size) {
    drawPaper(p, size);
    drawGrid(p, kCells, kCells);
}

// The SUM bank: four bus columns, and room on the right for the level selectors.
void drawSumBackground(QPainter& p, QSize size) {
    drawPaper(p, size);
    drawGrid(p, matrix_geometry::kSumCells, kCells);
}

// Routed: a filled dot in the ink of the headers.
void drawRouted(QPainter& p, QSize size) {
    const QRectF dot(5.5, 5.5, size.width() - 11.0, size.height() - 11.0);
    QRadialGradient shade(dot.center() - QPointF(2, 2), dot.width());
    shade.setColorAt(0, kInk.lighter(150));
    shade.setColorAt(1, kInk.darker(130));
    p.setPen(QPen(kInk.darker(170), 1.0));
    p.setBrush(shade);
    p.drawEllipse(dot);
}

// Routed from the same row of another bank: a ring, so it reads as "elsewhere".
void drawRoutedElsewhere(QPainter& p, QSize size) {
    const QRectF ring(6.5, 6.5, size.width() - 13.0, size.height() - 13.0);
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(ring);
}

enum class Key { Off, Hover, On, Inactive };

// A bank key: a small cap with a lit strip along its bottom edge when selected.
void drawBankKey(QPainter& p, QSize size, Key look, const QColor& lit) {
    drawKeyCap(p, size, look == Key::On, look == Key::Hover);
    if (look == Key::Inactive) {
        p.fillRect(QRect(QPoint(1, 1), size - QSize(2, 2)), QColor(40, 42, 46, 150));
        return;
    }
    const QRectF strip(8, size.height() - 6.5, size.width() - 16.0, 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(look == Key::On ? lit : QColor(30, 33, 38));
    p.drawRoundedRect(strip, 1, 1);
}

const QColor kSourceLit{120, 210, 150};
const QColor kOutputLit{90, 180, 255};
const QColor kSumLit{255, 180, 60};
const QColor kPresetLit{250, 120, 90};

constexpr QSize kBankKeySize{84, 30};
constexpr QSize kPresetKeySize{120, 22};

const std::array kMatrixArt{
    Art{138, {810, 820}, drawBackground},
    Art{218, {810, 820}, drawSumBackground},
    Art{151, {22, 22}, drawRouted},
    Art{152, {22, 22}, drawRoutedElsewhere},
    // Source row, output row and SUM keys, each off / hover / selected; one look
    // for a key that cannot be used.
    Art{133, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Off, kSourceLit); }},
    Art{134, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Hover, kSourceLit); }},
    Art{132, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::On, kSourceLit); }},
    Art{136, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Off, kOutputLit); }},
    Art{137, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Hover, kOutputLit); }},
    Art{135, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::On, kOutputLit); }},
    Art{216, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Off, kSumLit); }},
    Art{217, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Hover, kSumLit); }},
    Art{215, kBankKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::On, kSumLit); }},
    Art{219, kBankKeySize,
        [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Inactive, kSourceLit); }},
    // The routing preset key: empty, and holding a stored preset.
    Art{187, kPresetKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Off, kPresetLit); }},
    Art{188, kPresetKeySize,
        [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Hover, kPresetLit); }},
    Art{191, kPresetKeySize, [](QPainter& p, QSize s) { drawBankKey(p, s, Key::On, kPresetLit); }},
    Art{189, kPresetKeySize,
        [](QPainter& p, QSize s) { drawBankKey(p, s, Key::Hover, kPresetLit); }},
};

} // namespace

std::span<const Art> matrixArt() {
    return kMatrixArt;
}

} // namespace varento::skin
