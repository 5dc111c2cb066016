#pragma once

#include <QByteArray>
#include <QString>

// Windows-1250 (Central European) single-byte code page. Bytes without a character
// decode to the C1 control of the same value so that no byte is lost.
namespace Cp1250 {
QString decode(const QByteArray &bytes);
// Characters without a code in the page become '?'.
QByteArray encode(const QString &text);
} // namespace Cp1250
