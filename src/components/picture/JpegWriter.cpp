#include "picture/JpegWriter.h"

#include "files/FileWriter.h"

#include <QCoreApplication>
#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back to the caller.
struct JpegErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jpegErrorExit(j_common_ptr cinfo)
{
    auto *manager = reinterpret_cast<JpegErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void jpegOutputMessage(j_common_ptr)
{
    // Warnings stay silent; nothing is printed to stderr.
}

QImage toRgb888(const QImage &image)
{
    if (image.hasAlphaChannel()) {
        // JPEG has no alpha: compose over white, as a printed page would show it.
        QImage flat(image.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        return flat;
    }
    return image.convertToFormat(QImage::Format_RGB888);
}

int densityOf(int dotsPerMeter)
{
    const int dpi = qRound(dotsPerMeter * 0.0254);
    return (dpi > 0 && dpi < 65536) ? dpi : 96;
}

// Plain C data only between setjmp and longjmp: no destructor is skipped by the jump (the rows'
// source lives with the caller).
bool compress(int width, int height, const JpegRows &rows, int quality, int dpiX, int dpiY,
              unsigned char **buffer, unsigned long *size, char *message)
{
    jpeg_compress_struct cinfo;
    JpegErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.output_message = jpegOutputMessage;
    errors.message[0] = '\0';

    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }

    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (quality >= 90) {
        // Full-resolution colour keeps thin coloured lines and text of charts sharp.
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1; // dots per inch
    cinfo.X_density = static_cast<UINT16>(dpiX);
    cinfo.Y_density = static_cast<UINT16>(dpiY);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool validSize(int width, int height, QString *error)
{
    if (width >= 1 && height >= 1 && width <= JPEG_MAX_DIMENSION && height <= JPEG_MAX_DIMENSION)
        return true;
    if (error)
        *error = QCoreApplication::translate("JpegWriter", "Obrázek nelze uložit jako JPEG: neplatný rozměr %1 × %2.")
                     .arg(width)
                     .arg(height);
    return false;
}

QByteArray compressed(int width, int height, const JpegRows &rows, int quality, int dpiX, int dpiY,
                      QString *error)
{
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok = compress(width, height, rows, qBound(1, quality, 100), dpiX, dpiY, &buffer, &size, message);
    QByteArray bytes;
    if (ok && buffer)
        bytes = QByteArray(reinterpret_cast<const char *>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    if (!ok && error)
        *error = QCoreApplication::translate("JpegWriter", "Chyba komprese JPEG: %1").arg(QString::fromLocal8Bit(message));
    return bytes;
}

QByteArray encode(const QImage &image, int quality, QString *error)
{
    if (!validSize(image.width(), image.height(), error))
        return {};
    const QImage rgb = toRgb888(image);
    return compressed(rgb.width(), rgb.height(), [&rgb](int row) { return rgb.constScanLine(row); }, quality,
                      densityOf(image.dotsPerMeterX()), densityOf(image.dotsPerMeterY()), error);
}

} // namespace

QByteArray encodeJpeg(const QImage &image, int quality)
{
    return encode(image, quality, nullptr);
}

QByteArray encodeJpeg(int width, int height, int dpi, const JpegRows &rows, int quality, QString *error)
{
    if (!validSize(width, height, error))
        return {};
    return compressed(width, height, rows, quality, dpi, dpi, error);
}

bool saveJpeg(const QImage &image, const QString &path, int quality, QString *error)
{
    const QByteArray bytes = encode(image, quality, error);
    if (bytes.isEmpty())
        return false;
    return FileWriter::writeWhole(path, bytes, error);
}
