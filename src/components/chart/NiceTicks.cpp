#include "chart/NiceTicks.h"

#include <cmath>

namespace {

// Tolerance for quotients that are whole numbers up to rounding noise.
constexpr double kSlack = 1e-9;

double floorToMultiple(double value, double step)
{
    return std::floor(value / step + kSlack) * step;
}

} // namespace

NiceScale niceTicks(int n, double min, double max)
{
    if (n < 2)
        n = 2;
    const double f = std::abs(max - min) / (n < 3 ? 2.0 : double(n - 1));
    if (!std::isfinite(f))
        return {min, 1.0};
    const double exponent = f > 0.0 ? std::floor(std::log10(f) + 1e-12) : 0.0;
    const double g = 0.5 * std::pow(10.0, exponent);
    double step = f > 0.0 ? std::ceil(f / g - kSlack) * g : 0.0;
    if (step == 0.0)
        return {min - double(n / 2), 1.0};

    double first = floorToMultiple(min, step);
    // Each round adds g to the step; a few rounds always suffice for n >= 2, the
    // bound only protects against values no arithmetic can reach.
    for (int round = 0; round < 100000 && max > first + step * (n - 1) + step * kSlack; ++round) {
        step += g;
        first = floorToMultiple(min, step);
    }
    return {first, step};
}
