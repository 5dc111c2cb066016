#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Baseline JPEG (24-bit RGB, 4:2:0 unless quality is high) through libjpeg. Any QImage format is accepted;
// transparent pixels are composed over white. An empty result means the image could not be encoded.
QByteArray encodeJpeg(const QImage &image, int quality = 96);

// Encodes and writes through FileWriter; on failure returns false, leaves no file and sets *error.
bool saveJpeg(const QImage &image, const QString &path, int quality = 96, QString *error = nullptr);
