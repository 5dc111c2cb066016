#include "AssignmentSheet.h"

#include "automation/WordProcessor.h"
#include "questionnaires/AssignmentSheet.h"
#include "picture/EmfPaintDevice.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

QString AssignmentSheet::title() {
    return QStringLiteral("Sociometrický dotazník – třída 7. B");
}

QStringList AssignmentSheet::lines() {
    return {
        QStringLiteral("Třídní učitelka:\tMgr. Jana Nováková"),
        QStringLiteral("Datum šetření:\tčtvrtek 5. června 2025"),
        QStringLiteral("1. otázka:\tS kým bys chtěl(a) sedět v lavici? Žluťoučký kůň úpěl ďábelské ódy."),
        QStringLiteral("2. otázka:\tKoho bys pozval(a) na oslavu svých narozenin?"),
    };
}

namespace {

void paintPicture(QPainter &p, const QSize &size, const QColor &fill, const QString &caption) {
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(fill);
    p.drawRect(QRect(QPoint(10, 10), size - QSize(20, 20)));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(28);
    p.setFont(font);
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, caption);
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

bool AssignmentSheet::build(WordProcessor &processor, const QString &folder, QString *error) {
    QImage image(kPngPixels, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    {
        QPainter painter(&image);
        paintPicture(painter, kPngPixels, QColor(120, 200, 255), QStringLiteral("PNG"));
    }
    pngPath = QDir(folder).filePath(QStringLiteral("sociogram.png"));
    if (!image.save(pngPath, "PNG")) {
        *error = QStringLiteral("cannot write ") + pngPath;
        return false;
    }
    QFile pngFile(pngPath);
    pngFile.open(QIODevice::ReadOnly);
    png = pngFile.readAll();

    EmfPaintDevice device(kEmfPixels);
    device.setPatternFills(EmfPaintDevice::PatternFills::Drawn);
    {
        QPainter painter(&device);
        paintPicture(painter, kEmfPixels, QColor(255, 180, 60), QStringLiteral("EMF"));
    }
    emf = device.data();
    emfPath = QDir(folder).filePath(QStringLiteral("graf.emf"));
    if (!writeFile(emfPath, emf)) {
        *error = QStringLiteral("cannot write ") + emfPath;
        return false;
    }

    // The rich text as the program pastes it: a bold title, then plain lines.
    QTextDocument source;
    QTextCursor cursor(&source);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(title(), bold);
    for (const QString &line : lines()) {
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        cursor.insertText(line, QTextCharFormat());
    }

    formatAssignmentSheet(processor, source);

    processor.endKey();
    processor.insertPageBreak();
    processor.setLeftIndent(0);
    processor.setFirstLineIndent(0);
    if (!processor.addPicture(pngPath, error))
        return false;
    processor.typeParagraph();
    if (!processor.addPicture(emfPath, error))
        return false;
    processor.setLandscape(true);
    processor.setMargins(kMargin);
    return true;
}
