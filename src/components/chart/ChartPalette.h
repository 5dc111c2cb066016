#pragma once

#include <QColor>
#include <QImage>

// Colours, hatch patterns and point markers of chart series, each chosen by the
// series number.
namespace ChartPalette {

constexpr int kColorCount = 14;
constexpr int kHatchCount = 16;
constexpr int kMarkerCount = 5;

enum class Marker { Square = 0, Circle = 1, TriangleUp = 2, TriangleDown = 3, Diamond = 4 };

// Palette colour of series `series` (modulo 14), from the soft palette when asked.
QColor color(int series, bool soft);

// Hatch pattern of series `series` (modulo 16): a 1-bit image (8 x 8, one 6 x 6)
// whose index-1 pixels are ink.
const QImage &hatch(int series);

Marker marker(int series);

} // namespace ChartPalette
