#include "automation/Picture.h"

#include "picture/EmfReader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace {

constexpr qreal kDefaultDpi = 96.0;
constexpr qreal kPointsPerInch = 72.0;

bool fail(QString *error, const QString &name, const QString &reason) {
    if (error)
        *error = QStringLiteral("Obrázek „%1“ nelze načíst: %2").arg(name, reason);
    return false;
}

quint32 u32At(const QByteArray &bytes, qsizetype at) {
    if (at + 4 > bytes.size())
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// Resolution of a raster picture; files that give none or an absurd one count as 96 dpi.
qreal dpiOf(int dotsPerMeter) {
    qreal dpi = dotsPerMeter * 0.0254;
    // Dots per metre are whole numbers: 3780 stands for 96 dpi.
    if (qAbs(dpi - qRound(dpi)) < 0.05)
        dpi = qRound(dpi);
    return dpi >= 10.0 && dpi <= 4800.0 ? dpi : kDefaultDpi;
}

} // namespace

bool Picture::load(const QString &file, QString *error) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, file, in.errorString());
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return fail(error, file, in.errorString());
    return loadData(bytes, file, error);
}

bool Picture::loadData(const QByteArray &bytes, const QString &name, QString *error) {
    if (bytes.isEmpty())
        return fail(error, name, QStringLiteral("soubor je prázdný."));
    if (formatOf(bytes) == Format::Emf) {
        EmfReader reader;
        QString problem;
        if (!reader.read(bytes, &problem))
            return fail(error, name, QStringLiteral("metasoubor EMF je poškozený (%1).").arg(problem));
        // The frame is in hundredths of a millimetre, both edges included.
        const QRect frame = reader.header().frame;
        const QRect bounds = reader.header().bounds;
        QSizeF size;
        if (frame.right() > frame.left() && frame.bottom() > frame.top())
            size = QSizeF(frame.right() - frame.left() + 1, frame.bottom() - frame.top() + 1) / 2540.0 *
                   kPointsPerInch;
        else if (bounds.right() > bounds.left() && bounds.bottom() > bounds.top())
            size = QSizeF(bounds.right() - bounds.left() + 1, bounds.bottom() - bounds.top() + 1) *
                   (kPointsPerInch / kDefaultDpi);
        else
            return fail(error, name, QStringLiteral("metasoubor EMF nemá žádnou velikost."));
        m_format = Format::Emf;
        m_data = bytes;
        m_size = size;
        m_image = QImage();
        return true;
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull())
        return fail(error, name, QStringLiteral("není to obrázek PNG, JPEG ani EMF."));
    const std::optional<Format> format = formatOf(bytes);
    if (format) {
        m_data = bytes;
        m_format = *format;
    } else {
        // BMP, GIF and the like are embedded as PNG.
        QBuffer png(&m_data);
        png.open(QIODevice::WriteOnly);
        image.save(&png, "PNG");
        m_format = Format::Png;
    }
    m_size = QSizeF(image.width() * kPointsPerInch / dpiOf(image.dotsPerMeterX()),
                    image.height() * kPointsPerInch / dpiOf(image.dotsPerMeterY()));
    m_image = image;
    return true;
}

std::optional<Picture::Format> Picture::formatOf(const QByteArray &bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return Format::Png;
    if (bytes.startsWith("\xff\xd8\xff"))
        return Format::Jpeg;
    // EMR_HEADER first, with the signature " EMF" at byte 40.
    if (u32At(bytes, 0) == 1 && u32At(bytes, 40) == 0x464D4520u)
        return Format::Emf;
    return std::nullopt;
}

QString Picture::extension(Format format) {
    switch (format) {
    case Format::Png:
        return QStringLiteral("png");
    case Format::Jpeg:
        return QStringLiteral("jpeg");
    case Format::Emf:
        return QStringLiteral("emf");
    }
    return QString();
}

QString Picture::contentType(Format format) {
    switch (format) {
    case Format::Png:
        return QStringLiteral("image/png");
    case Format::Jpeg:
        return QStringLiteral("image/jpeg");
    case Format::Emf:
        return QStringLiteral("image/x-emf");
    }
    return QString();
}
