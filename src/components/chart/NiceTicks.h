#pragma once

// First tick and step of an axis with a given number of ticks over min..max.
struct NiceScale {
    double first = 0.0;
    double step = 1.0;
};

// The axis rule: raw step f = |max - min| / (n - 1) (divided by 2 instead when n < 3);
// g = half the power of ten of f; the step is the smallest multiple of g not below f
// (1 when that is 0, the first tick then being min - n div 2); otherwise the first
// tick is min rounded down to a multiple of the step, and the step grows by g until
// n ticks reach max. n below 2 counts as 2.
NiceScale niceTicks(int n, double min, double max);
