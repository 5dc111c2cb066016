#include "graph/GraphDump.h"

#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"

namespace {

QString quote(const QString &s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString color(TColor c)
{
    const QString name = GraphTypes::colorName(c);
    return name.isEmpty() ? QStringLiteral("$%1").arg(quint32(c), 8, 16, QLatin1Char('0')).toUpper() : name;
}

QString set(int mask, const QStringList &names)
{
    QStringList items;
    for (int i = 0; i < names.size(); ++i)
        if (mask & (1 << i))
            items.append(names.at(i));
    return QLatin1Char('[') + items.join(QLatin1String(", ")) + QLatin1Char(']');
}

} // namespace

QString GraphDump::objectText(const TGraphObject &o)
{
    QStringList lines;
    auto add = [&](const QString &key, const QString &value) { lines.append(QStringLiteral("  %1: %2").arg(key, value)); };
    if (o.IsNode()) {
        const auto &n = static_cast<const TGraphNode &>(o);
        add(QStringLiteral("Bounds"), QStringLiteral("left %1, top %2, width %3, height %4")
                                          .arg(n.Left()).arg(n.Top()).arg(n.Width()).arg(n.Height()));
    } else {
        const auto &l = static_cast<const TGraphLink &>(o);
        QStringList pts;
        for (const QPoint &p : l.Points())
            pts.append(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y()));
        add(QStringLiteral("Points"), pts.isEmpty() ? QStringLiteral("none") : pts.join(QLatin1Char(' ')));
        add(QStringLiteral("Source"), l.Source() ? QString::number(l.Source()->ID()) : QStringLiteral("none"));
        add(QStringLiteral("Target"), l.Target() ? QString::number(l.Target()->ID()) : QStringLiteral("none"));
    }
    if (!o.Text().isEmpty())
        add(QStringLiteral("Text"), quote(o.Text()));
    if (!o.Hint().isEmpty())
        add(QStringLiteral("Hint"), quote(o.Hint()));
    if (o.Brush().Color != clWhite || o.Brush().Style != bsSolid)
        add(QStringLiteral("Brush"), color(o.Brush().Color) + QLatin1Char(' ') +
                                         GraphTypes::brushStyleNames().at(o.Brush().Style));
    const TGraphPen &pen = o.Pen();
    if (!(pen == TGraphPen()))
        add(QStringLiteral("Pen"), QStringLiteral("%1 %2 %3 width %4")
                                       .arg(color(pen.Color), GraphTypes::penModeNames().at(pen.Mode),
                                            GraphTypes::penStyleNames().at(pen.Style))
                                       .arg(pen.Width));
    if (!o.ParentFont()) {
        const TGraphFont &f = o.Font();
        add(QStringLiteral("Font"), QStringLiteral("%1 height %2 %3 %4 charset %5")
                                        .arg(quote(f.Name))
                                        .arg(f.Height)
                                        .arg(color(f.Color), set(f.Style, GraphTypes::fontStyleNames()))
                                        .arg(f.Charset));
    }
    if (o.Options() != goAllOptions)
        add(QStringLiteral("Options"), set(o.Options(), GraphTypes::objectOptionNames()));
    if (!o.Visible())
        add(QStringLiteral("Visible"), QStringLiteral("false"));
    if (o.Tag() != 0)
        add(QStringLiteral("Tag"), QString::number(o.Tag()));
    if (o.HasCustomData())
        add(QStringLiteral("CustomData"), QString::fromLatin1(o.CustomData().toHex()));
    if (o.IsNode()) {
        const auto &n = static_cast<const TGraphNode &>(o);
        if (n.Alignment() != taCenter)
            add(QStringLiteral("Alignment"), GraphTypes::alignmentNames().at(n.Alignment()));
        if (n.Layout() != tlCenter)
            add(QStringLiteral("Layout"), GraphTypes::layoutNames().at(n.Layout()));
        if (n.Margin() != 8)
            add(QStringLiteral("Margin"), QString::number(n.Margin()));
        if (n.NodeOptions() != gnoAllOptions)
            add(QStringLiteral("NodeOptions"), set(n.NodeOptions(), GraphTypes::nodeOptionNames()));
        const QMargins m = n.BackgroundMargins();
        if (!m.isNull())
            add(QStringLiteral("BackgroundMargins"),
                QStringLiteral("%1 %2 %3 %4").arg(m.left()).arg(m.top()).arg(m.right()).arg(m.bottom()));
    } else {
        const auto &l = static_cast<const TGraphLink &>(o);
        if (l.BeginStyle() != lsNone || l.BeginSize() != 6)
            add(QStringLiteral("Begin"),
                QStringLiteral("%1 size %2").arg(GraphTypes::linkStyleNames().at(l.BeginStyle())).arg(l.BeginSize()));
        if (l.EndStyle() != lsArrow || l.EndSize() != 6)
            add(QStringLiteral("End"),
                QStringLiteral("%1 size %2").arg(GraphTypes::linkStyleNames().at(l.EndStyle())).arg(l.EndSize()));
        if (l.LinkOptions() != 0)
            add(QStringLiteral("LinkOptions"), set(l.LinkOptions(), GraphTypes::linkOptionNames()));
        if (l.TextPosition() != -1)
            add(QStringLiteral("TextPosition"), QString::number(l.TextPosition()));
        if (l.TextSpacing() != 0)
            add(QStringLiteral("TextSpacing"), QString::number(l.TextSpacing()));
    }
    return QStringLiteral("%1 ID %2\n").arg(o.ClassName()).arg(o.ID()) + lines.join(QLatin1Char('\n')) +
           QLatin1Char('\n');
}

QString GraphDump::toText(const GraphDocument &document)
{
    QString text = QStringLiteral("Objects: %1\n").arg(document.Objects().Count());
    for (const TGraphObject *o : document.Objects())
        text += objectText(*o);
    return text;
}
