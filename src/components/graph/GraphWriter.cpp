#include "graph/GraphWriter.h"

#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graph/PropertyStreamWriter.h"

#include <QIODevice>

namespace {

void writeColor(PropertyStreamWriter &w, TColor color)
{
    const QString name = GraphTypes::colorName(color);
    if (name.isEmpty())
        w.writeInteger(color);
    else
        w.writeIdent(name);
}

void writeCommon(PropertyStreamWriter &w, const TGraphObject &o)
{
    if (!o.Text().isEmpty()) {
        w.writeName("G.Text");
        w.writeString(o.Text());
    }
    if (!o.Hint().isEmpty()) {
        w.writeName("G.Hint");
        w.writeString(o.Hint());
    }
    const TGraphBrush &brush = o.Brush();
    if (brush.Color != clWhite) {
        w.writeName("G.Brush.Color");
        writeColor(w, brush.Color);
    }
    if (brush.Style != bsSolid) {
        w.writeName("G.Brush.Style");
        w.writeIdent(GraphTypes::brushStyleNames().at(brush.Style));
    }
    const TGraphPen &pen = o.Pen();
    if (pen.Color != clBlack) {
        w.writeName("G.Pen.Color");
        writeColor(w, pen.Color);
    }
    if (pen.Mode != pmCopy) {
        w.writeName("G.Pen.Mode");
        w.writeIdent(GraphTypes::penModeNames().at(pen.Mode));
    }
    if (pen.Style != psSolid) {
        w.writeName("G.Pen.Style");
        w.writeIdent(GraphTypes::penStyleNames().at(pen.Style));
    }
    if (pen.Width != 1) {
        w.writeName("G.Pen.Width");
        w.writeInteger(pen.Width);
    }
    if (!o.ParentFont()) {
        const TGraphFont &font = o.Font();
        w.writeName("G.Font.Charset");
        const QString charset = GraphTypes::charsetName(font.Charset);
        if (charset.isEmpty())
            w.writeInteger(font.Charset);
        else
            w.writeIdent(charset);
        w.writeName("G.Font.Color");
        writeColor(w, font.Color);
        w.writeName("G.Font.Height");
        w.writeInteger(font.Height);
        w.writeName("G.Font.Name");
        w.writeString(font.Name);
        if (font.Orientation != 0) {
            w.writeName("G.Font.Orientation");
            w.writeInteger(font.Orientation);
        }
        if (font.Pitch != fpDefault) {
            w.writeName("G.Font.Pitch");
            w.writeIdent(GraphTypes::fontPitchNames().at(font.Pitch));
        }
        w.writeName("G.Font.Style");
        w.writeSet(font.Style, GraphTypes::fontStyleNames());
        w.writeName("G.ParentFont");
        w.writeBool(false);
    }
    if (o.Options() != goAllOptions) {
        w.writeName("G.Options");
        w.writeSet(o.Options(), GraphTypes::objectOptionNames());
    }
    if (!o.Visible()) {
        w.writeName("G.Visible");
        w.writeBool(false);
    }
    if (o.Tag() != 0) {
        w.writeName("G.Tag");
        w.writeInteger(o.Tag());
    }
    if (o.HasCustomData()) {
        w.writeName("G.HasCustomData");
        w.writeBool(true);
    }
}

void writeNode(PropertyStreamWriter &w, const TGraphNode &n)
{
    w.writeName("G.Left");
    w.writeInteger(n.Left());
    w.writeName("G.Top");
    w.writeInteger(n.Top());
    w.writeName("G.Width");
    w.writeInteger(n.Width());
    w.writeName("G.Height");
    w.writeInteger(n.Height());
    if (n.Alignment() != taCenter) {
        w.writeName("G.Alignment");
        w.writeIdent(GraphTypes::alignmentNames().at(n.Alignment()));
    }
    if (n.Layout() != tlCenter) {
        w.writeName("G.Layout");
        w.writeIdent(GraphTypes::layoutNames().at(n.Layout()));
    }
    if (n.Margin() != 8) {
        w.writeName("G.Margin");
        w.writeInteger(n.Margin());
    }
    if (n.NodeOptions() != gnoAllOptions) {
        w.writeName("G.NodeOptions");
        w.writeSet(n.NodeOptions(), GraphTypes::nodeOptionNames());
    }
}

void writeLink(PropertyStreamWriter &w, const TGraphLink &l)
{
    if (l.BeginStyle() != lsNone) {
        w.writeName("G.BeginStyle");
        w.writeIdent(GraphTypes::linkStyleNames().at(l.BeginStyle()));
    }
    if (l.BeginSize() != 6) {
        w.writeName("G.BeginSize");
        w.writeInteger(l.BeginSize());
    }
    if (l.EndStyle() != lsArrow) {
        w.writeName("G.EndStyle");
        w.writeIdent(GraphTypes::linkStyleNames().at(l.EndStyle()));
    }
    if (l.EndSize() != 6) {
        w.writeName("G.EndSize");
        w.writeInteger(l.EndSize());
    }
    if (l.LinkOptions() != 0) {
        w.writeName("G.LinkOptions");
        w.writeSet(l.LinkOptions(), GraphTypes::linkOptionNames());
    }
    if (l.TextPosition() != -1) {
        w.writeName("G.TextPosition");
        w.writeInteger(l.TextPosition());
    }
    if (l.TextSpacing() != 0) {
        w.writeName("G.TextSpacing");
        w.writeInteger(l.TextSpacing());
    }
}

} // namespace

QByteArray GraphWriter::objectStream(const TGraphObject &object)
{
    QByteArray out;
    PropertyStreamWriter w(out);
    w.writeRawBytes(QByteArrayLiteral("TPF0"));
    w.writeShortString(QByteArrayLiteral("TGraphStreamableObject"));
    w.writeShortString(QByteArray());
    w.writeName("ID");
    w.writeInteger(qint32(object.ID()));
    writeCommon(w, object);
    const bool isLink = object.IsLink();
    if (isLink)
        writeLink(w, static_cast<const TGraphLink &>(object));
    else
        writeNode(w, static_cast<const TGraphNode &>(object));
    if (object.HasCustomData()) {
        QByteArray payload;
        PropertyStreamWriter pw(payload);
        pw.writeRawInt32(qint32(object.CustomData().size()));
        pw.writeRawBytes(object.CustomData());
        w.writeName("G.CustomData");
        w.writeBinary(payload);
    }
    if (isLink) {
        const auto &link = static_cast<const TGraphLink &>(object);
        if (link.Source()) {
            w.writeName("G.Source");
            w.writeInteger(qint32(link.Source()->ID()));
        }
        if (link.Target()) {
            w.writeName("G.Target");
            w.writeInteger(qint32(link.Target()->ID()));
        }
        if (link.PointCount() > 0) {
            QByteArray payload;
            PropertyStreamWriter pw(payload);
            pw.writeRawInt32(link.PointCount());
            for (const QPoint &p : link.Points()) {
                pw.writeRawInt32(p.x());
                pw.writeRawInt32(p.y());
            }
            w.writeName("G.BreakPoints");
            w.writeBinary(payload);
        }
    } else {
        const QMargins m = static_cast<const TGraphNode &>(object).BackgroundMargins();
        if (!m.isNull()) {
            w.writeName("G.BackgroundMargins");
            w.writeInteger(m.left());
            w.writeInteger(m.top());
            w.writeInteger(m.right());
            w.writeInteger(m.bottom());
        }
    }
    out.append(char(0)); // end of properties
    out.append(char(0)); // no child components
    return out;
}

QByteArray GraphWriter::toBytes(const GraphDocument &document)
{
    QByteArray out;
    PropertyStreamWriter w(out);
    w.writeRawInt32(qint32(Signature));
    w.writeRawInt32(document.Objects().Count());
    for (const TGraphObject *object : document.Objects()) {
        const QByteArray name = object->ClassName().toLatin1();
        w.writeRawInt32(qint32(name.size() + 1));
        w.writeRawBytes(name);
        out.append(char(0));
        out.append(objectStream(*object));
    }
    return out;
}

bool GraphWriter::write(const GraphDocument &document, QIODevice &device, QString *error)
{
    const QByteArray bytes = toBytes(document);
    if (device.write(bytes) != bytes.size()) {
        if (error)
            *error = QStringLiteral("Zápis souboru grafu selhal: %1").arg(device.errorString());
        return false;
    }
    return true;
}
