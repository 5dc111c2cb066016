#include "graph/GraphReader.h"

#include "graph/GraphClassRegistry.h"
#include "graph/GraphConstraints.h"
#include "graph/GraphDocument.h"
#include "graph/GraphErrors.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graph/GraphWriter.h"
#include "graph/PropertyStreamReader.h"

#include <QIODevice>
#include <QtEndian>

namespace {

using Value = PropertyStreamReader::Value;

QString quoted(const QString &s)
{
    return QStringLiteral("„%1“").arg(s);
}

bool wrongType(PropertyStreamReader &in, const QString &name)
{
    in.fail(QStringLiteral("vlastnost %1 má nesprávný typ hodnoty").arg(quoted(name)));
    return false;
}

std::optional<int> toInt(const Value &v)
{
    if (!v.isInteger())
        return std::nullopt;
    return int(v.integer);
}

std::optional<TColor> toColor(const Value &v)
{
    if (v.isInteger())
        return TColor(v.integer);
    if (v.type == 7)
        return GraphTypes::colorValue(v.text);
    return std::nullopt;
}

std::optional<int> toEnum(const Value &v, const QStringList &names)
{
    if (v.type != 7)
        return std::nullopt;
    const int index = GraphTypes::indexOfName(names, v.text);
    return index < 0 ? std::nullopt : std::optional<int>(index);
}

std::optional<int> toSet(const Value &v, const QStringList &names)
{
    if (v.type != 11)
        return std::nullopt;
    int mask = 0;
    for (const QString &e : v.elements) {
        const int index = GraphTypes::indexOfName(names, e);
        if (index < 0)
            return std::nullopt;
        mask |= 1 << index;
    }
    return mask;
}

// Positions, sizes and link points lie on the canvas; anything else is a damaged or foreign file.
bool onCanvas(qint64 v)
{
    return v >= TGraphConstraints::CanvasMin && v <= TGraphConstraints::CanvasMax;
}

QString offCanvas()
{
    return QStringLiteral("souřadnice objektu jsou mimo rozsah plochy grafu (%1 až %2)")
        .arg(TGraphConstraints::CanvasMin)
        .arg(TGraphConstraints::CanvasMax);
}

} // namespace

bool GraphReader::checkSignature(const QByteArray &header)
{
    if (header.size() < 4 || qFromLittleEndian<quint32>(header.constData()) != GraphWriter::Signature) {
        m_error = QLatin1String(GraphErrorText::InvalidStream);
        return false;
    }
    return true;
}

std::unique_ptr<GraphDocument> GraphReader::read(const QByteArray &data, const GraphDocument *settings)
{
    m_error.clear();
    if (!checkSignature(data))
        return nullptr;
    PropertyStreamReader in(data, 4);
    const auto count = in.readRawInt32();
    if (!count) {
        m_error = QStringLiteral("Soubor grafu je poškozený: %1").arg(in.error());
        return nullptr;
    }
    return readObjects(in, *count, settings);
}

std::unique_ptr<GraphDocument> GraphReader::read(QIODevice &device, const GraphDocument *settings)
{
    m_error.clear();
    // The header alone, so that a file of another kind is not read any further.
    QByteArray header(HeaderSize, '\0');
    qint64 got = 0;
    while (got < HeaderSize) {
        const qint64 n = device.read(header.data() + got, HeaderSize - got);
        if (n < 0) {
            m_error = QStringLiteral("Soubor grafu nelze číst: %1").arg(device.errorString());
            return nullptr;
        }
        if (n == 0 && !(device.isSequential() && device.waitForReadyRead(30'000)))
            break;
        got += n;
    }
    header.truncate(got);
    if (!checkSignature(header))
        return nullptr;
    PropertyStreamReader headerIn(header, 4);
    const auto count = headerIn.readRawInt32();
    if (!count) {
        m_error = QStringLiteral("Soubor grafu je poškozený: %1").arg(headerIn.error());
        return nullptr;
    }
    PropertyStreamReader in(device, HeaderSize);
    return readObjects(in, *count, settings);
}

std::unique_ptr<GraphDocument> GraphReader::readObjects(PropertyStreamReader &in, qint32 count,
                                                        const GraphDocument *settings)
{
    if (count > MaxObjects) {
        m_error = QStringLiteral("Soubor grafu je poškozený: nepřijatelný počet objektů %1").arg(count);
        return nullptr;
    }
    // The smallest record: length and name of the class (4 + 1), "TPF0" (4), the carrier class
    // "TGraphStreamableObject" (1 + 22), an empty component name (1), the end of the properties (1) and
    // of the child components (1).
    constexpr qint64 minRecordSize = 35;
    if (count > 0 && in.remaining() >= 0 && count > in.remaining() / minRecordSize) {
        in.fail(QStringLiteral("soubor je zkrácený: %1 objektů se do zbylých %2 bajtů nevejde")
                    .arg(count)
                    .arg(in.remaining()));
        m_error = QStringLiteral("Soubor grafu je poškozený: %1").arg(in.error());
        return nullptr;
    }
    auto document = std::make_unique<GraphDocument>();
    if (settings)
        document->CopySettingsFrom(*settings);
    // The rest of the file bounds the reservation; a stream of unknown length grows as it is read.
    if (count > 0)
        document->m_objects.Reserve(
            qMin<qsizetype>(count, in.remaining() >= 0 ? in.remaining() / minRecordSize + 1 : 1024));
    for (qint32 i = 0; i < count; ++i) {
        const auto length = in.readRawInt32();
        if (length && *length <= 0)
            in.fail(QStringLiteral("neplatná délka jména třídy %1").arg(*length));
        const auto nameBytes = in.ok() ? in.readBytes(*length) : std::nullopt;
        if (!nameBytes)
            break;
        QByteArray name = *nameBytes;
        const qsizetype zero = name.indexOf('\0');
        if (zero >= 0)
            name.truncate(zero);
        name.truncate(255);
        const QString className = QString::fromLatin1(name);
        TGraphObject *object = GraphClassRegistry::Create(className, document.get());
        if (!object) {
            in.fail(QStringLiteral("neznámá třída objektu %1").arg(quoted(className)));
            break;
        }
        object->BeginUpdate();
        const bool ok = readObject(in, *object);
        if (ok && in.ok() && object->IsNode()) {
            // Bounds stay as written unless they are unusable; the whole node lies on the canvas.
            auto *node = static_cast<TGraphNode *>(object);
            if (node->Width() <= 0 || node->Height() <= 0)
                node->SetBoundsDirect(node->Left(), node->Top(), qMax(1, node->Width()), qMax(1, node->Height()));
            if (!onCanvas(qint64(node->Left()) + node->Width()) || !onCanvas(qint64(node->Top()) + node->Height()))
                in.fail(offCanvas());
        }
        object->EndUpdate();
        document->m_objects.Append(object);
        if (!ok || !in.ok())
            break;
    }
    if (!in.ok()) {
        m_error = QStringLiteral("Soubor grafu je poškozený: %1").arg(in.error());
        return nullptr;
    }
    document->MakeIDsUnique();
    document->FinishLoading();
    document->m_modified = false;
    return document;
}

bool GraphReader::readObject(PropertyStreamReader &in, TGraphObject &object)
{
    const auto signature = in.readBytes(4);
    if (!signature)
        return false;
    if (*signature != QByteArrayLiteral("TPF0")) {
        in.fail(QStringLiteral("chybí začátek popisu objektu"));
        return false;
    }
    const auto carrier = in.readShortString();
    const auto componentName = in.readShortString();
    if (!carrier || !componentName)
        return false;
    if (*carrier != QByteArrayLiteral("TGraphStreamableObject")) {
        in.fail(QStringLiteral("neočekávaná třída %1").arg(quoted(QString::fromLatin1(*carrier))));
        return false;
    }
    for (;;) {
        const auto name = in.readShortString();
        if (!name)
            return false;
        if (name->isEmpty())
            break;
        if (!readProperty(in, object, QString::fromLatin1(*name)))
            return false;
    }
    const auto children = in.readByte();
    if (!children)
        return false;
    if (*children != 0) {
        in.fail(QStringLiteral("objekt nesmí obsahovat vnořené komponenty"));
        return false;
    }
    return true;
}

bool GraphReader::readProperty(PropertyStreamReader &in, TGraphObject &object, const QString &name)
{
    // Multi-value properties first: their data is not a single value.
    const bool isLink = object.IsLink();
    auto *node = isLink ? nullptr : static_cast<TGraphNode *>(&object);
    auto *link = isLink ? static_cast<TGraphLink *>(&object) : nullptr;

    if (name == QLatin1String("G.BackgroundMargins") && node) {
        int m[4];
        for (int &v : m) {
            const auto value = in.readValue();
            if (!value)
                return false;
            const auto i = toInt(*value);
            if (!i)
                return wrongType(in, name);
            v = *i;
        }
        node->SetBackgroundMargins(QMargins(m[0], m[1], m[2], m[3]));
        return true;
    }

    if (name == QLatin1String("G.Background.Data") && node) {
        // Background pictures are not kept: their data is passed over rather than read into memory.
        const auto type = in.peekByte();
        if (!type)
            return false;
        if (*type == 10) {
            in.readByte();
            const auto length = in.readRawInt32();
            return length && in.skipBytes(*length);
        }
    }

    const auto value = in.readValue();
    if (!value)
        return false;
    const Value &v = *value;

    if (name == QLatin1String("ID")) {
        const auto i = toInt(v);
        if (!i)
            return wrongType(in, name);
        object.m_id = quint32(*i);
        return true;
    }
    if (!name.startsWith(QLatin1String("G."))) {
        in.fail(QStringLiteral("neznámá vlastnost %1").arg(quoted(name)));
        return false;
    }
    const QString prop = name.mid(2);

    auto setInt = [&](auto setter) {
        const auto i = toInt(v);
        if (!i)
            return wrongType(in, name);
        setter(*i);
        return true;
    };
    auto setEnum = [&](const QStringList &names, auto setter) {
        const auto i = toEnum(v, names);
        if (!i)
            return wrongType(in, name);
        setter(*i);
        return true;
    };
    auto setSet = [&](const QStringList &names, auto setter) {
        const auto i = toSet(v, names);
        if (!i)
            return wrongType(in, name);
        setter(*i);
        return true;
    };
    auto setBool = [&](auto setter) {
        if (!v.isBool())
            return wrongType(in, name);
        setter(v.type == 9);
        return true;
    };
    auto setString = [&](auto setter) {
        if (!v.isString())
            return wrongType(in, name);
        setter(v.text);
        return true;
    };
    auto setColor = [&](auto setter) {
        const auto c = toColor(v);
        if (!c)
            return wrongType(in, name);
        setter(*c);
        return true;
    };
    auto withFont = [&](auto change) {
        TGraphFont font = object.Font();
        change(font);
        object.SetFont(font);
    };
    auto withBrush = [&](auto change) {
        TGraphBrush brush = object.Brush();
        change(brush);
        object.SetBrush(brush);
    };
    auto withPen = [&](auto change) {
        TGraphPen pen = object.Pen();
        change(pen);
        object.SetPen(pen);
    };

    if (prop == QLatin1String("Text"))
        return setString([&](const QString &s) { object.SetText(s); });
    if (prop == QLatin1String("Hint"))
        return setString([&](const QString &s) { object.SetHint(s); });
    if (prop == QLatin1String("Brush.Color"))
        return setColor([&](TColor c) { withBrush([&](TGraphBrush &b) { b.Color = c; }); });
    if (prop == QLatin1String("Brush.Style"))
        return setEnum(GraphTypes::brushStyleNames(),
                       [&](int s) { withBrush([&](TGraphBrush &b) { b.Style = TBrushStyle(s); }); });
    if (prop == QLatin1String("Pen.Color"))
        return setColor([&](TColor c) { withPen([&](TGraphPen &p) { p.Color = c; }); });
    if (prop == QLatin1String("Pen.Mode"))
        return setEnum(GraphTypes::penModeNames(),
                       [&](int s) { withPen([&](TGraphPen &p) { p.Mode = TPenMode(s); }); });
    if (prop == QLatin1String("Pen.Style"))
        return setEnum(GraphTypes::penStyleNames(),
                       [&](int s) { withPen([&](TGraphPen &p) { p.Style = TPenStyle(s); }); });
    if (prop == QLatin1String("Pen.Width")) {
        const auto i = toInt(v);
        if (!i || *i < 0 || *i > 10000)
            return wrongType(in, name);
        withPen([&](TGraphPen &p) { p.Width = *i; });
        return true;
    }
    if (prop == QLatin1String("Font.Charset")) {
        std::optional<int> charset = v.isInteger() ? toInt(v) : (v.type == 7 ? GraphTypes::charsetValue(v.text) : std::nullopt);
        if (!charset || *charset < 0 || *charset > 255)
            return wrongType(in, name);
        withFont([&](TGraphFont &f) { f.Charset = *charset; });
        return true;
    }
    if (prop == QLatin1String("Font.Color"))
        return setColor([&](TColor c) { withFont([&](TGraphFont &f) { f.Color = c; }); });
    if (prop == QLatin1String("Font.Height")) {
        const auto i = toInt(v);
        if (!i || qAbs(qint64(*i)) > 100000)
            return wrongType(in, name);
        withFont([&](TGraphFont &f) { f.Height = *i; });
        return true;
    }
    if (prop == QLatin1String("Font.Name"))
        return setString([&](const QString &s) { withFont([&](TGraphFont &f) { f.Name = s; }); });
    if (prop == QLatin1String("Font.Orientation"))
        return setInt([&](int i) { withFont([&](TGraphFont &f) { f.Orientation = i; }); });
    if (prop == QLatin1String("Font.Pitch"))
        return setEnum(GraphTypes::fontPitchNames(),
                       [&](int i) { withFont([&](TGraphFont &f) { f.Pitch = TFontPitch(i); }); });
    if (prop == QLatin1String("Font.Style"))
        return setSet(GraphTypes::fontStyleNames(), [&](int i) { withFont([&](TGraphFont &f) { f.Style = i; }); });
    if (prop == QLatin1String("ParentFont"))
        return setBool([&](bool b) { object.SetParentFont(b); });
    if (prop == QLatin1String("Options"))
        return setSet(GraphTypes::objectOptionNames(), [&](int i) { object.SetOptions(i); });
    if (prop == QLatin1String("Visible"))
        return setBool([&](bool b) { object.SetVisible(b); });
    if (prop == QLatin1String("Tag"))
        return setInt([&](int i) { object.SetTag(i); });
    if (prop == QLatin1String("HasCustomData"))
        return setBool([&](bool b) { object.SetHasCustomData(b); });
    if (prop == QLatin1String("CustomData")) {
        if (v.type != 10 || v.binary.size() < 4)
            return wrongType(in, name);
        const qint32 size = qFromLittleEndian<qint32>(v.binary.constData());
        if (size < 0 || size > v.binary.size() - 4)
            return wrongType(in, name);
        object.SetCustomData(v.binary.mid(4, size));
        return true;
    }

    if (node) {
        auto setCoordinate = [&](auto setter) {
            const auto i = toInt(v);
            if (!i)
                return wrongType(in, name);
            if (!onCanvas(*i)) {
                in.fail(offCanvas());
                return false;
            }
            setter(*i);
            return true;
        };
        if (prop == QLatin1String("Left"))
            return setCoordinate([&](int i) { node->SetBoundsDirect(i, node->Top(), node->Width(), node->Height()); });
        if (prop == QLatin1String("Top"))
            return setCoordinate([&](int i) { node->SetBoundsDirect(node->Left(), i, node->Width(), node->Height()); });
        if (prop == QLatin1String("Width"))
            return setCoordinate([&](int i) { node->SetBoundsDirect(node->Left(), node->Top(), i, node->Height()); });
        if (prop == QLatin1String("Height"))
            return setCoordinate([&](int i) { node->SetBoundsDirect(node->Left(), node->Top(), node->Width(), i); });
        if (prop == QLatin1String("Alignment"))
            return setEnum(GraphTypes::alignmentNames(), [&](int i) { node->SetAlignment(TAlignment(i)); });
        if (prop == QLatin1String("Layout"))
            return setEnum(GraphTypes::layoutNames(), [&](int i) { node->SetLayout(TTextLayout(i)); });
        if (prop == QLatin1String("Margin"))
            return setInt([&](int i) { node->SetMargin(i); });
        if (prop == QLatin1String("NodeOptions"))
            return setSet(GraphTypes::nodeOptionNames(), [&](int i) { node->SetNodeOptions(i); });
        if (prop == QLatin1String("Background.Data")) {
            // Background pictures are not kept; the data is accepted and dropped.
            if (v.type != 10)
                return wrongType(in, name);
            return true;
        }
    }
    if (link) {
        auto setSize = [&](auto setter) {
            const auto i = toInt(v);
            if (!i || *i < 0 || *i > 255)
                return wrongType(in, name);
            setter(quint8(*i));
            return true;
        };
        if (prop == QLatin1String("BeginStyle"))
            return setEnum(GraphTypes::linkStyleNames(), [&](int i) { link->SetBeginStyle(TLinkBeginEndStyle(i)); });
        if (prop == QLatin1String("BeginSize"))
            return setSize([&](quint8 s) { link->SetBeginSize(s); });
        if (prop == QLatin1String("EndStyle"))
            return setEnum(GraphTypes::linkStyleNames(), [&](int i) { link->SetEndStyle(TLinkBeginEndStyle(i)); });
        if (prop == QLatin1String("EndSize"))
            return setSize([&](quint8 s) { link->SetEndSize(s); });
        if (prop == QLatin1String("LinkOptions"))
            return setSet(GraphTypes::linkOptionNames(), [&](int i) { link->SetLinkOptions(i); });
        if (prop == QLatin1String("TextPosition"))
            return setInt([&](int i) { link->SetTextPosition(i); });
        if (prop == QLatin1String("TextSpacing")) {
            const auto i = toInt(v);
            if (!i)
                return wrongType(in, name);
            if (qAbs(qint64(*i)) > TGraphConstraints::CanvasMax) {
                in.fail(offCanvas());
                return false;
            }
            link->SetTextSpacing(*i);
            return true;
        }
        if (prop == QLatin1String("Source") || prop == QLatin1String("FromNode"))
            return setInt([&](int i) { link->m_sourceId = quint32(i); });
        if (prop == QLatin1String("Target") || prop == QLatin1String("ToNode"))
            return setInt([&](int i) { link->m_targetId = quint32(i); });
        if (prop == QLatin1String("BreakPoints")) {
            if (v.type != 10 || v.binary.size() < 4)
                return wrongType(in, name);
            const qint32 count = qFromLittleEndian<qint32>(v.binary.constData());
            if (count < 0 || qint64(count) * 8 + 4 != v.binary.size())
                return wrongType(in, name);
            QPolygon points(count);
            for (qint32 i = 0; i < count; ++i) {
                points[i] = QPoint(qFromLittleEndian<qint32>(v.binary.constData() + 4 + 8 * i),
                                   qFromLittleEndian<qint32>(v.binary.constData() + 8 + 8 * i));
                if (!onCanvas(points[i].x()) || !onCanvas(points[i].y())) {
                    in.fail(offCanvas());
                    return false;
                }
            }
            link->m_points = points;
            link->Changed(TGraphObject::BoundsChanged);
            return true;
        }
        if (prop == QLatin1String("Kind")) {
            if (v.type != 7)
                return wrongType(in, name);
            const QString kind = v.text.toLower();
            if (kind == QLatin1String("lkundirected"))
                link->SetEndStyle(lsNone);
            else if (kind == QLatin1String("lkbidirected"))
                link->SetBeginStyle(lsArrow);
            return true;
        }
        if (prop == QLatin1String("ArrowSize")) {
            const auto i = toInt(v);
            if (!i || *i < -2 || *i > 253)
                return wrongType(in, name);
            link->SetBeginSize(quint8(*i + 2));
            link->SetEndSize(quint8(*i + 2));
            return true;
        }
    }
    in.fail(QStringLiteral("neznámá vlastnost %1").arg(quoted(name)));
    return false;
}
