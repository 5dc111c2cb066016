#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <optional>

// A picture file as a document embeds it: its bytes, its kind and the size it asks for on the page.
// PNG, JPEG and EMF are kept as they are; any other picture Qt reads is stored as PNG.
class Picture final {
public:
    enum class Format { Png, Jpeg, Emf };

    // Reads a picture file; false with a Czech message in *error when it cannot be read or is no picture.
    bool load(const QString &file, QString *error = nullptr);
    // The same for bytes already in memory; `name` is what the message calls them.
    bool loadData(const QByteArray &bytes, const QString &name, QString *error = nullptr);

    Format format() const { return m_format; }
    const QByteArray &data() const { return m_data; }
    // Width and height in points: from the header's frame for EMF, from pixels and resolution otherwise
    // (96 dpi when the file gives none).
    QSizeF sizePoints() const { return m_size; }
    // The picture itself for raster files; null for EMF.
    const QImage &image() const { return m_image; }

    // The kind of bytes by their signature; nullopt when they are no PNG, JPEG or EMF.
    static std::optional<Format> formatOf(const QByteArray &bytes);
    static QString extension(Format format);
    static QString contentType(Format format);

private:
    Format m_format = Format::Png;
    QByteArray m_data;
    QSizeF m_size;
    QImage m_image;
};
