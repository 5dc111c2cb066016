#pragma once

#include <QByteArray>
#include <QList>
#include <QRectF>

class QPainter;

// A QR code (libqrencode, error correction M) of a short text: the code slips carry the entry address
// with the pupil's code in its fragment.
namespace QrCode {

// The dark modules, row by row; empty when the text cannot be encoded.
QList<QList<bool>> modules(const QByteArray &text);
// Paints the modules black on white into the square of `area` (its smaller side), with the quiet zone of
// four modules the readers need.
void paint(QPainter &painter, const QRectF &area, const QList<QList<bool>> &modules);
// The same as a black-and-white PNG file, `moduleSide` pixels to a module (a word processor scales it to
// the size on the page); empty when there are no modules.
QByteArray png(const QList<QList<bool>> &modules, int moduleSide);

} // namespace QrCode
