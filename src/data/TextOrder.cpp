#include "data/TextOrder.h"

#include "data/Database.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <cstring>

namespace {

// The Czech collator at secondary strength: letters and diacritics count, case does not. ICU compares
// through a const collator safely from any thread.
const UCollator *collator() {
    static UCollator *const instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator *c = ucol_open("cs_CZ", &status);
        if (U_FAILURE(status) || !c) {
            status = U_ZERO_ERROR;
            c = ucol_open("", &status); // root order rather than no order at all
        }
        if (c) {
            status = U_ZERO_ERROR;
            ucol_setStrength(c, UCOL_SECONDARY);
        }
        return c;
    }();
    return instance;
}

int sign(UCollationResult result) {
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

int compareUtf8(void *, int lengthA, const void *a, int lengthB, const void *b) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator(), static_cast<const char *>(a), lengthA, static_cast<const char *>(b), lengthB,
                         &status);
    if (U_FAILURE(status)) {
        const int common = std::min(lengthA, lengthB);
        const int bytes = std::memcmp(a, b, std::size_t(common));
        return bytes != 0 ? bytes : lengthA - lengthB;
    }
    return sign(result);
}

} // namespace

QString TextOrder::collationName() {
    return QStringLiteral("czech");
}

QString TextOrder::collate() {
    return QStringLiteral(" COLLATE czech");
}

int TextOrder::compare(QStringView a, QStringView b) {
    const UCollator *c = collator();
    if (!c)
        return a.compare(b, Qt::CaseInsensitive);
    return sign(ucol_strcoll(c, reinterpret_cast<const UChar *>(a.utf16()), int32_t(a.size()),
                             reinterpret_cast<const UChar *>(b.utf16()), int32_t(b.size())));
}

bool TextOrder::registerCollation(sqlite3 *handle) {
    return collator() && sqlite3_create_collation_v2(handle, "czech", SQLITE_UTF8, nullptr, compareUtf8,
                                                     nullptr) == SQLITE_OK;
}

QString TextOrder::toggledOrderLine(const QString &lastLine, const QString &field) {
    if (!Database::isIdentifier(field))
        return QString();
    return QStringLiteral("ORDER BY ") + field + collate() +
           (lastLine.contains(QLatin1String("ASC")) ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
}
