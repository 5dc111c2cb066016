#pragma once

// The area in which nodes may lie, in graph units.
class TGraphConstraints final {
public:
    int MinLeft = 0;
    int MinTop = 0;
    int MaxRight = 65535;
    int MaxBottom = 65535;

    bool operator==(const TGraphConstraints &) const = default;
};
