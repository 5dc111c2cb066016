#pragma once

#include <QString>

// Kinds of a chart series; the numbers are part of the component's interface.
enum class ChartSeriesKind { Line = 0, Smooth = 1, Bar = 2 };

// One data point of a series.
struct TXYInfo {
    double X = 0.0;
    double Y = 0.0;
    QString Name;
};

// One axis tick: its value, its pixel (column for X, row for Y) and its label.
struct TAxisInfo {
    double Value = 0.0;
    int Pixel = 0;
    QString Label;
};
