#include "automation/ZipWriter.h"

#include "files/FileWriter.h"

#include <zip.h>

void ZipWriter::add(const QString &name, const QByteArray &content) { m_entries.append({name, content}); }

bool ZipWriter::write(const QString &path, QString *error) const
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    // libzip writes to its own path; build the archive in memory, then save it through FileWriter.
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    if (!buffer)
        return fail(QString::fromUtf8(zip_error_strerror(&zipError)));
    zip_source_keep(buffer);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &zipError);
    if (!archive) {
        zip_source_free(buffer);
        return fail(QString::fromUtf8(zip_error_strerror(&zipError)));
    }
    for (const auto &[name, content] : m_entries) {
        zip_source_t *data = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (!data || zip_file_add(archive, name.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8) < 0) {
            if (data)
                zip_source_free(data);
            const QString text = QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            zip_source_free(buffer);
            return fail(text);
        }
    }
    if (zip_close(archive) < 0) {
        const QString text = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        zip_source_free(buffer);
        return fail(text);
    }
    QByteArray bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        bytes.resize(qsizetype(size));
        zip_source_read(buffer, bytes.data(), zip_uint64_t(size));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    QString reason;
    if (!FileWriter::writeWhole(path, bytes, &reason))
        return fail(reason);
    return true;
}

namespace {

const char kRels[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="%1"/></Relationships>)";

} // namespace

bool writeEmptyDocx(const QString &path, QString *error)
{
    ZipWriter zip;
    zip.add(QStringLiteral("[Content_Types].xml"), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>)");
    zip.add(QStringLiteral("_rels/.rels"), QString::fromUtf8(kRels).arg(QStringLiteral("word/document.xml")).toUtf8());
    zip.add(QStringLiteral("word/document.xml"), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body><w:p/><w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top="1417" w:right="1417" w:bottom="1417" w:left="1417" w:header="708" w:footer="708" w:gutter="0"/></w:sectPr></w:body></w:document>)");
    return zip.write(path, error);
}

bool writeEmptyXlsx(const QString &path, QString *error)
{
    ZipWriter zip;
    zip.add(QStringLiteral("[Content_Types].xml"), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>)");
    zip.add(QStringLiteral("_rels/.rels"), QString::fromUtf8(kRels).arg(QStringLiteral("xl/workbook.xml")).toUtf8());
    zip.add(QStringLiteral("xl/workbook.xml"), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="List1" sheetId="1" r:id="rId1"/></sheets></workbook>)");
    zip.add(QStringLiteral("xl/_rels/workbook.xml.rels"), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)");
    zip.add(QStringLiteral("xl/worksheets/sheet1.xml"), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)");
    return zip.write(path, error);
}
