#include "chart/ChartPalette.h"

#include <array>
#include <vector>

namespace ChartPalette {

namespace {

constexpr std::array<QRgb, kColorCount> kNormal = {
    qRgb(255, 0, 0),   qRgb(0, 0, 255),   qRgb(0, 128, 0),     qRgb(255, 0, 255), qRgb(0, 0, 128),
    qRgb(128, 0, 0),   qRgb(0, 0, 0),     qRgb(128, 128, 0),   qRgb(128, 0, 128), qRgb(0, 128, 128),
    qRgb(128, 128, 128), qRgb(0, 255, 0), qRgb(255, 255, 0),   qRgb(0, 255, 255),
};

constexpr std::array<QRgb, kColorCount> kSoft = {
    qRgb(255, 194, 102), qRgb(218, 250, 90), qRgb(77, 200, 244),  qRgb(244, 77, 181),
    qRgb(255, 159, 102), qRgb(90, 77, 244),  qRgb(255, 224, 102), qRgb(255, 255, 102),
    qRgb(174, 77, 244),  qRgb(254, 99, 104), qRgb(116, 244, 77),  qRgb(77, 147, 244),
    qRgb(192, 192, 192), qRgb(128, 128, 128),
};

// The hatch patterns, one string per row, '#' for ink. Pattern 11 is 6 x 6.
const std::array<std::vector<const char *>, kHatchCount> kPatterns = {{
    {"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..", "......#.", ".......#"},
    {".......#", "......#.", ".....#..", "....#...", "...#....", "..#.....", ".#......", "#......."},
    {"########", "........", "........", "........", "########", "........", "........", "........"},
    {"#...#...", "#...#...", "#...#...", "#...#...", "#...#...", "#...#...", "#...#...", "#...#..."},
    {"########", "#...#...", "#...#...", "#...#...", "########", "#...#...", "#...#...", "#...#..."},
    {"#......#", ".#....#.", "..#..#..", "...##...", "...##...", "..#..#..", ".#....#.", "#......#"},
    {"#.......", "........", "........", "........", "....#...", "........", "........", "........"},
    {"#.#.#.#.", ".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#.", ".#.#.#.#"},
    {"########", "#.......", "#.......", "#.......", "########", "....#...", "....#...", "....#..."},
    {"#.......", ".#.....#", "..#...#.", "...#.#..", "....#...", "........", "........", "........"},
    {"..#...", ".#.#..", "#...#.", ".#.#..", "..#...", "......"},
    {"##....##", "###....#", "####....", ".####...", "..####..", "...####.", "....####", "#....###"},
    {"####....", "........", "........", "........", "....####", "........", "........", "........"},
    {"####...#", "...#...#", "...#...#", "...#####", "#...####", "#...#...", "#...#...", "#####..."},
    {"#...#...", "........", "..#...#.", "........", "#...#...", "........", "..#...#.", "........"},
    {"##..##..", "##..##..", "..##..##", "..##..##", "##..##..", "##..##..", "..##..##", "..##..##"},
}};

std::array<QImage, kHatchCount> buildHatches()
{
    std::array<QImage, kHatchCount> images;
    for (int i = 0; i < kHatchCount; ++i) {
        const auto &rows = kPatterns[size_t(i)];
        const int size = int(rows.size());
        QImage image(size, size, QImage::Format_Mono);
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        image.fill(0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (rows[size_t(y)][x] == '#')
                    image.setPixel(x, y, 1);
        images[size_t(i)] = image;
    }
    return images;
}

int wrap(int series, int count)
{
    const int r = series % count;
    return r < 0 ? r + count : r;
}

} // namespace

QColor color(int series, bool soft)
{
    const int i = wrap(series, kColorCount);
    return QColor(soft ? kSoft[size_t(i)] : kNormal[size_t(i)]);
}

const QImage &hatch(int series)
{
    static const std::array<QImage, kHatchCount> images = buildHatches();
    return images[size_t(wrap(series, kHatchCount))];
}

Marker marker(int series)
{
    return Marker(wrap(series, kMarkerCount));
}

} // namespace ChartPalette
