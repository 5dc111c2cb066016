#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QBrush>
#include <QString>
#include <QStringList>

#include <optional>

// Value types shared by the graph objects: colours as 0x00BBGGRR values (with the
// system-colour and "none" codes), brush, pen and font descriptions as they are stored
// in graph files, and the identifier tables that name their enumerations.

using TColor = qint32;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clWindowText = TColor(0x80000008);
constexpr TColor clWindow = TColor(0x80000005);
constexpr TColor clBtnFace = TColor(0x8000000F);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TLinkBeginEndStyle { lsNone, lsArrow, lsArrowSimple, lsCircle, lsDiamond };

// Sets are bit masks; bit i is the i-th name of the matching name list.
enum TGraphObjectOption { goLinkable = 1, goSelectable = 2, goShowCaption = 4 };
enum TGraphNodeOption { gnoMovable = 1, gnoResizable = 2, gnoShowBackground = 4 };
enum TGraphLinkOption {
    gloFixedStartPoint = 1, gloFixedEndPoint = 2, gloFixedBreakPoints = 4,
    gloFixedAnchorStartPoint = 8, gloFixedAnchorEndPoint = 16
};
constexpr int goAllOptions = goLinkable | goSelectable | goShowCaption;
constexpr int gnoAllOptions = gnoMovable | gnoResizable | gnoShowBackground;

enum TGraphDrawOrder { doDefault, doNodesOnTop, doLinksOnTop };

struct TGraphBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    bool operator==(const TGraphBrush &) const = default;
};

struct TGraphPen {
    TColor Color = clBlack;
    TPenMode Mode = pmCopy;
    TPenStyle Style = psSolid;
    int Width = 1;
    bool operator==(const TGraphPen &) const = default;
};

struct TGraphFont {
    int Charset = 1; // DEFAULT_CHARSET
    TColor Color = clWindowText;
    int Height = -11; // negative: character height in graph units
    QString Name = QStringLiteral("Arial");
    int Orientation = 0; // tenths of a degree
    TFontPitch Pitch = fpDefault;
    int Style = 0; // TFontStyle bits
    bool operator==(const TGraphFont &) const = default;
};

namespace GraphTypes {

// Colour value to a displayable colour; system colours get their usual light-theme values.
QColor toQColor(TColor color);
TColor fromQColor(const QColor &color);

QBrush toQBrush(const TGraphBrush &brush);
QPen toQPen(const TGraphPen &pen);
QFont toQFont(const TGraphFont &font);
// Fill pattern colour aside, whether a pen draws anything.
bool penVisible(const TGraphPen &pen);

// Identifier tables used by the file format. nameOf returns an empty string for a
// value without a name; valueOf returns nullopt for an unknown name (case-insensitive).
QString colorName(TColor color);
std::optional<TColor> colorValue(const QString &name);
QString charsetName(int charset);
std::optional<int> charsetValue(const QString &name);

const QStringList &brushStyleNames();
const QStringList &penStyleNames();
const QStringList &penModeNames();
const QStringList &fontPitchNames();
const QStringList &fontStyleNames();
const QStringList &alignmentNames();
const QStringList &layoutNames();
const QStringList &linkStyleNames();
const QStringList &objectOptionNames();
const QStringList &nodeOptionNames();
const QStringList &linkOptionNames();

// Case-insensitive index of a name in a list, -1 when absent.
int indexOfName(const QStringList &names, const QString &name);

} // namespace GraphTypes
