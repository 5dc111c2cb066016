#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

// Baseline JPEG (24-bit RGB, 4:2:0 unless quality is high) through libjpeg. Any QImage format is accepted;
// transparent pixels are composed over white. An empty result means the image could not be encoded.
QByteArray encodeJpeg(const QImage &image, int quality = 96);

// The rows of a picture, top to bottom, each as 24-bit RGB (3 bytes per pixel): asked for once each, in
// order, the pointer valid until the next row is asked for.
using JpegRows = std::function<const uchar *(int row)>;
// The same encoding from rows given one at a time, so a large picture never has to be held whole.
// An empty result means the picture could not be encoded; *error says why.
QByteArray encodeJpeg(int width, int height, int dpi, const JpegRows &rows, int quality = 96,
                      QString *error = nullptr);

// Encodes and writes through FileWriter; on failure returns false, leaves no file and sets *error.
bool saveJpeg(const QImage &image, const QString &path, int quality = 96, QString *error = nullptr);
