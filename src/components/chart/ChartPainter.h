#pragma once

class QPainter;
struct ChartLayout;

// Draws a laid-out chart on any painter (screen, image, printer, SVG, EMF) in the
// layout's own pixel coordinates; callers scale with the painter's transform.
class ChartPainter final {
public:
    ChartPainter() = delete;
    static void paint(QPainter &painter, const ChartLayout &layout);
};
