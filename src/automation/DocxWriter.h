#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class QTextDocument;

// Writes a word-processor document (a QTextDocument as WordModel.h describes it) as Office Open XML:
// paragraphs with alignment, indents, tab stops, spacing and page breaks; runs with font, size, bold,
// italic, underline, strike-out and colour; tabs and line breaks; embedded inline and floating pictures;
// the page size, orientation and margins. Text without a font or size of its own takes the document's
// default font, which becomes the Normal style. Tables and list markers are written as plain paragraphs.
class DocxWriter final {
public:
    explicit DocxWriter(const QTextDocument &document);

    // The entries of the package by name ("word/document.xml", "word/media/image1.png", ...), in the order
    // they are stored.
    QList<QPair<QString, QByteArray>> entries() const;
    // Writes the package through a temporary file renamed into place; false with a Czech message in
    // *error, leaving no partial file.
    bool write(const QString &path, QString *error = nullptr) const;

private:
    const QTextDocument &m_document;
};
