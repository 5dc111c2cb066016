#include "graph/GraphTypes.h"

#include <array>

namespace GraphTypes {
namespace {

struct NamedValue {
    int value;
    const char *name;
};

// Standard colours first so that a value with two names is written with the first.
constexpr std::array<NamedValue, 52> kColors = {{
    {0x000000, "clBlack"}, {0x000080, "clMaroon"}, {0x008000, "clGreen"}, {0x008080, "clOlive"},
    {0x800000, "clNavy"}, {0x800080, "clPurple"}, {0x808000, "clTeal"}, {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"}, {0x0000FF, "clRed"}, {0x00FF00, "clLime"}, {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"}, {0xFF00FF, "clFuchsia"}, {0xFFFF00, "clAqua"}, {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"}, {0xF0CAA6, "clSkyBlue"}, {0xF0FBFF, "clCream"}, {0xA4A0A0, "clMedGray"},
    {int(0x8000000A), "clActiveBorder"}, {int(0x80000002), "clActiveCaption"},
    {int(0x8000000C), "clAppWorkSpace"}, {int(0x80000001), "clBackground"},
    {int(0x8000000F), "clBtnFace"}, {int(0x80000014), "clBtnHighlight"},
    {int(0x80000010), "clBtnShadow"}, {int(0x80000012), "clBtnText"},
    {int(0x80000009), "clCaptionText"}, {int(0x1FFFFFFF), "clNone"}, {int(0x20000000), "clDefault"},
    {int(0x8000001B), "clGradientActiveCaption"}, {int(0x8000001C), "clGradientInactiveCaption"},
    {int(0x80000011), "clGrayText"}, {int(0x8000000D), "clHighlight"},
    {int(0x8000000E), "clHighlightText"}, {int(0x8000001A), "clHotLight"},
    {int(0x8000000B), "clInactiveBorder"}, {int(0x80000003), "clInactiveCaption"},
    {int(0x80000013), "clInactiveCaptionText"}, {int(0x80000018), "clInfoBk"},
    {int(0x80000017), "clInfoText"}, {int(0x80000004), "clMenu"}, {int(0x8000001E), "clMenuBar"},
    {int(0x8000001D), "clMenuHighlight"}, {int(0x80000007), "clMenuText"},
    {int(0x80000000), "clScrollBar"}, {int(0x80000015), "cl3DDkShadow"},
    {int(0x80000016), "cl3DLight"}, {int(0x80000005), "clWindow"},
    {int(0x80000006), "clWindowFrame"}, {int(0x80000008), "clWindowText"},
}};

// Accepted when reading only.
constexpr std::array<NamedValue, 2> kColorAliases = {{{0xC0C0C0, "clLtGray"}, {0x808080, "clDkGray"}}};

constexpr std::array<NamedValue, 19> kCharsets = {{
    {0, "ANSI_CHARSET"}, {1, "DEFAULT_CHARSET"}, {2, "SYMBOL_CHARSET"}, {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"},
    {134, "GB2312_CHARSET"}, {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},
    {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"}, {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"}, {186, "BALTIC_CHARSET"}, {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"}, {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
}};

// Light-theme values of the system colours, indexed by the low byte.
constexpr std::array<QRgb, 31> kSystemColors = {
    0xFFC8C8C8, 0xFF000000, 0xFF99B4D1, 0xFFBFCDDB, 0xFFF0F0F0, 0xFFFFFFFF, 0xFF646464, 0xFF000000,
    0xFF000000, 0xFF000000, 0xFFB4B4B4, 0xFFF4F7FC, 0xFFABABAB, 0xFF0078D7, 0xFFFFFFFF, 0xFFF0F0F0,
    0xFFA0A0A0, 0xFF6D6D6D, 0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFF696969, 0xFFE3E3E3, 0xFF000000,
    0xFFFFFFE1, 0xFF000000, 0xFF0066CC, 0xFFB9D1EA, 0xFFD7E4F2, 0xFF3399FF, 0xFFF0F0F0,
};

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *n : list)
        result.append(QLatin1String(n));
    return result;
}

} // namespace

QColor toQColor(TColor color)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    if (color == clDefault)
        return QColor(Qt::black);
    if (quint32(color) & 0x80000000u) {
        const int index = color & 0xFF;
        return index < int(kSystemColors.size()) ? QColor::fromRgba(kSystemColors[index]) : QColor(Qt::black);
    }
    const quint32 c = quint32(color) & 0xFFFFFF;
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor fromQColor(const QColor &color)
{
    if (color.alpha() == 0)
        return clNone;
    return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QBrush toQBrush(const TGraphBrush &brush)
{
    static constexpr Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush, Qt::HorPattern,
                                                Qt::VerPattern, Qt::BDiagPattern, Qt::FDiagPattern,
                                                Qt::CrossPattern, Qt::DiagCrossPattern};
    if (brush.Color == clNone)
        return Qt::NoBrush;
    return QBrush(toQColor(brush.Color), styles[brush.Style]);
}

bool penVisible(const TGraphPen &pen)
{
    return pen.Style != psClear && pen.Mode != pmNop && pen.Color != clNone;
}

QPen toQPen(const TGraphPen &pen)
{
    if (!penVisible(pen))
        return Qt::NoPen;
    static constexpr Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                              Qt::DashDotDotLine, Qt::NoPen, Qt::SolidLine};
    QColor color = toQColor(pen.Color);
    if (pen.Mode == pmBlack)
        color = Qt::black;
    else if (pen.Mode == pmWhite)
        color = Qt::white;
    QPen result(color, qMax(1, pen.Width), styles[pen.Style], Qt::FlatCap, Qt::MiterJoin);
    // Cosmetic-looking dashes of width 1 as in GDI; wider pens draw solid there as well.
    if (pen.Width > 1 && pen.Style != psSolid && pen.Style != psInsideFrame)
        result.setStyle(Qt::SolidLine);
    return result;
}

QFont toQFont(const TGraphFont &font)
{
    QFont result(font.Name);
    const int height = font.Height == 0 ? 11 : (font.Height < 0 ? -font.Height : qMax(1, font.Height * 85 / 100));
    result.setPixelSize(height);
    result.setBold(font.Style & fsBold);
    result.setItalic(font.Style & fsItalic);
    result.setUnderline(font.Style & fsUnderline);
    result.setStrikeOut(font.Style & fsStrikeOut);
    if (font.Pitch == fpFixed)
        result.setFixedPitch(true);
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

QString colorName(TColor color)
{
    for (const auto &c : kColors)
        if (c.value == color)
            return QLatin1String(c.name);
    return {};
}

std::optional<TColor> colorValue(const QString &name)
{
    for (const auto &c : kColors)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    for (const auto &c : kColorAliases)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

QString charsetName(int charset)
{
    for (const auto &c : kCharsets)
        if (c.value == charset)
            return QLatin1String(c.name);
    return {};
}

std::optional<int> charsetValue(const QString &name)
{
    for (const auto &c : kCharsets)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

const QStringList &brushStyleNames()
{
    static const QStringList n = names({"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                        "bsBDiagonal", "bsCross", "bsDiagCross"});
    return n;
}

const QStringList &penStyleNames()
{
    static const QStringList n =
        names({"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
    return n;
}

const QStringList &penModeNames()
{
    static const QStringList n =
        names({"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
               "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor",
               "pmNotXor"});
    return n;
}

const QStringList &fontPitchNames()
{
    static const QStringList n = names({"fpDefault", "fpVariable", "fpFixed"});
    return n;
}

const QStringList &fontStyleNames()
{
    static const QStringList n = names({"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return n;
}

const QStringList &alignmentNames()
{
    static const QStringList n = names({"taLeftJustify", "taRightJustify", "taCenter"});
    return n;
}

const QStringList &layoutNames()
{
    static const QStringList n = names({"tlTop", "tlCenter", "tlBottom"});
    return n;
}

const QStringList &linkStyleNames()
{
    static const QStringList n = names({"lsNone", "lsArrow", "lsArrowSimple", "lsCircle", "lsDiamond"});
    return n;
}

const QStringList &objectOptionNames()
{
    static const QStringList n = names({"goLinkable", "goSelectable", "goShowCaption"});
    return n;
}

const QStringList &nodeOptionNames()
{
    static const QStringList n = names({"gnoMovable", "gnoResizable", "gnoShowBackground"});
    return n;
}

const QStringList &linkOptionNames()
{
    static const QStringList n = names({"gloFixedStartPoint", "gloFixedEndPoint", "gloFixedBreakPoints",
                                        "gloFixedAnchorStartPoint", "gloFixedAnchorEndPoint"});
    return n;
}

int indexOfName(const QStringList &list, const QString &name)
{
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace GraphTypes
