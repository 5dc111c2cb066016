#include "automation/WordProcessor.h"

#include "automation/DocxWriter.h"
#include "automation/Picture.h"
#include "automation/WordModel.h"

#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QUrl>

#include <algorithm>

namespace {

// Word's defaults for a new document: 2.5 cm margins, tab stops every 1.25 cm (in twips 1417 and 708).
constexpr qreal kDefaultMargin = 1417 / 20.0;
constexpr qreal kDefaultTabStop = 708 / 20.0;

// Text as the document keeps it: paragraphs split at "\n", "\v" as a line break within the paragraph.
QStringList paragraphsOf(const QString &text) {
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(u'\r', u'\n');
    normal.replace(QChar::ParagraphSeparator, u'\n');
    normal.replace(u'\v', QChar::LineSeparator);
    return normal.split(u'\n');
}

// The format of a new paragraph that follows `previous`: the same, except that it starts no page.
QTextBlockFormat followingParagraph(QTextBlockFormat previous) {
    previous.setPageBreakPolicy(previous.pageBreakPolicy() & ~QTextFormat::PageBreak_AlwaysBefore);
    return previous;
}

// A character format for text, without what would make it a picture.
QTextCharFormat textFormat(QTextCharFormat format) {
    format.clearProperty(QTextFormat::ObjectType);
    format.clearProperty(QTextFormat::ImageName);
    format.clearProperty(QTextFormat::ImageWidth);
    format.clearProperty(QTextFormat::ImageHeight);
    format.clearProperty(wordmodel::NaturalWidth);
    format.clearProperty(wordmodel::NaturalHeight);
    format.clearProperty(wordmodel::FloatLeft);
    format.clearProperty(wordmodel::FloatTop);
    return format;
}

// Replaces the cursor's selection by text in one format; the cursor ends after it.
void insertText(QTextCursor &cursor, const QString &text, const QTextCharFormat &format) {
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    const QStringList paragraphs = paragraphsOf(text);
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(followingParagraph(cursor.blockFormat()), format);
        if (!paragraphs.at(i).isEmpty())
            cursor.insertText(paragraphs.at(i), format);
    }
    cursor.setCharFormat(format);
}

// The format of the first character from `position` on.
QTextCharFormat formatAt(QTextDocument *document, int position) {
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

} // namespace

WordProcessor::WordProcessor() : m_document(std::make_unique<QTextDocument>()) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(12);
    m_document->setDefaultFont(font);
    m_document->setPageSize(wordmodel::a4());
    m_document->setDocumentMargin(kDefaultMargin);
    QTextOption option = m_document->defaultTextOption();
    option.setTabStopDistance(kDefaultTabStop);
    m_document->setDefaultTextOption(option);
    m_document->setUndoRedoEnabled(false);
    m_cursor = QTextCursor(m_document.get());
}

WordProcessor::~WordProcessor() = default;

QTextDocument &WordProcessor::document() {
    return *m_document;
}

const QTextDocument &WordProcessor::document() const {
    return *m_document;
}

void WordProcessor::pasteRichText(const QTextDocument &source) {
    if (m_cursor.hasSelection())
        m_cursor.removeSelectedText();
    if (source.isEmpty())
        return;
    // Qt leaves the first pasted paragraph in the format of the paragraph it joins; here every pasted
    // paragraph keeps its own, as its paragraph mark comes with it.
    const int first = m_cursor.blockNumber();
    m_cursor.beginEditBlock();
    m_cursor.insertFragment(QTextDocumentFragment(&source));
    QTextBlock target = m_document->findBlockByNumber(first);
    for (QTextBlock pasted = source.begin(); pasted.isValid() && target.isValid();
         pasted = pasted.next(), target = target.next())
        QTextCursor(target).setBlockFormat(pasted.blockFormat());
    m_cursor.endEditBlock();
}

void WordProcessor::typeText(const QString &text) {
    insertText(m_cursor, text, textFormat(m_cursor.charFormat()));
}

void WordProcessor::typeParagraph() {
    const QTextCharFormat format = textFormat(m_cursor.charFormat());
    m_cursor.insertBlock(followingParagraph(m_cursor.blockFormat()), format);
    m_cursor.setCharFormat(format);
}

void WordProcessor::insertPageBreak() {
    const QTextCharFormat format = textFormat(m_cursor.charFormat());
    QTextBlockFormat page = m_cursor.blockFormat();
    page.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    m_cursor.insertBlock(page, format);
    m_cursor.setCharFormat(format);
}

bool WordProcessor::addPicture(const QString &file, QString *error) {
    Picture picture;
    if (!picture.load(file, error))
        return false;
    insertPicture(picture, QTextImageFormat(), picture.sizePoints());
    return true;
}

bool WordProcessor::addFloatingPicture(const QByteArray &bytes, const QPointF &offset, const QSizeF &size,
                                       QString *error) {
    Picture picture;
    if (!picture.loadData(bytes, QStringLiteral("Obrázek"), error))
        return false;
    QTextImageFormat format;
    format.setProperty(wordmodel::FloatLeft, offset.x());
    format.setProperty(wordmodel::FloatTop, offset.y());
    insertPicture(picture, format, size);
    return true;
}

void WordProcessor::insertPicture(const Picture &picture, QTextImageFormat format, const QSizeF &natural) {
    const QString name =
        QStringLiteral("orbelis-picture:%1.%2").arg(++m_pictures).arg(Picture::extension(picture.format()));
    m_document->addResource(wordmodel::PictureFile, wordmodel::pictureFileUrl(name), picture.data());
    if (!picture.image().isNull())
        m_document->addResource(QTextDocument::ImageResource, QUrl(name), picture.image());

    const QTextCharFormat typing = textFormat(m_cursor.charFormat());
    format.setName(name);
    format.setProperty(wordmodel::NaturalWidth, natural.width());
    format.setProperty(wordmodel::NaturalHeight, natural.height());
    const QSizeF size = wordmodel::fitted(natural, wordmodel::textArea(*m_document));
    format.setWidth(size.width());
    format.setHeight(size.height());
    if (m_cursor.hasSelection())
        m_cursor.removeSelectedText();
    m_cursor.insertImage(format);
    m_cursor.setCharFormat(typing);
}

void WordProcessor::wholeStory() {
    m_cursor.select(QTextCursor::Document);
}

void WordProcessor::homeKey() {
    m_cursor.movePosition(QTextCursor::Start);
}

void WordProcessor::endKey() {
    m_cursor.movePosition(QTextCursor::End);
}

void WordProcessor::moveDown(int lines, bool extend) {
    const QTextCursor::MoveMode mode = extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    for (int i = 0; i < lines; ++i) {
        if (!m_cursor.movePosition(QTextCursor::NextBlock, mode)) {
            m_cursor.movePosition(QTextCursor::End, mode);
            break;
        }
    }
    // Upwards the first step goes to the start of the paragraph the insertion point is in.
    for (int i = 0; i < -lines; ++i) {
        if (m_cursor.position() != m_cursor.block().position())
            m_cursor.movePosition(QTextCursor::StartOfBlock, mode);
        else if (!m_cursor.movePosition(QTextCursor::PreviousBlock, mode))
            break;
    }
}

void WordProcessor::setFontName(const QString &family) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{family});
    // Text from older sources may name its font in the single-family property; both must agree.
    format.setProperty(QTextFormat::FontFamily, family);
    setCharFormat(format);
}

void WordProcessor::setFontSize(qreal points) {
    QTextCharFormat format;
    format.setFontPointSize(points);
    setCharFormat(format);
}

void WordProcessor::setBold(bool on) {
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    setCharFormat(format);
}

void WordProcessor::setItalic(bool on) {
    QTextCharFormat format;
    format.setFontItalic(on);
    setCharFormat(format);
}

void WordProcessor::setUnderline(bool on) {
    QTextCharFormat format;
    format.setFontUnderline(on);
    setCharFormat(format);
}

void WordProcessor::setCharFormat(const QTextCharFormat &format) {
    m_cursor.mergeCharFormat(format);
}

void WordProcessor::changeParagraphs(const std::function<void(QTextBlockFormat &)> &change) {
    const QTextBlock first = m_document->findBlock(m_cursor.selectionStart());
    QTextBlock last = m_document->findBlock(m_cursor.selectionEnd());
    if (m_cursor.hasSelection() && last != first && m_cursor.selectionEnd() == last.position())
        last = last.previous();
    QTextCursor editor(m_document.get());
    editor.beginEditBlock();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        change(format);
        editor.setPosition(block.position());
        editor.setBlockFormat(format);
        if (block == last)
            break;
    }
    editor.endEditBlock();
}

void WordProcessor::setAlignment(Alignment alignment) {
    Qt::Alignment flag = Qt::AlignLeft;
    switch (alignment) {
    case Alignment::Left:
        flag = Qt::AlignLeft;
        break;
    case Alignment::Center:
        flag = Qt::AlignHCenter;
        break;
    case Alignment::Right:
        flag = Qt::AlignRight;
        break;
    case Alignment::Justify:
        flag = Qt::AlignJustify;
        break;
    }
    changeParagraphs([flag](QTextBlockFormat &format) { format.setAlignment(flag); });
}

void WordProcessor::setLeftIndent(qreal points) {
    changeParagraphs([points](QTextBlockFormat &format) {
        format.setLeftMargin(points);
        format.setIndent(0);
    });
}

void WordProcessor::setFirstLineIndent(qreal points) {
    changeParagraphs([points](QTextBlockFormat &format) { format.setTextIndent(points); });
}

void WordProcessor::setSpaceBeforeAuto(bool on) {
    changeParagraphs([on](QTextBlockFormat &format) {
        format.setProperty(wordmodel::SpaceBeforeAuto, on);
        format.setTopMargin(on ? wordmodel::AutoSpacing : 0.0);
    });
}

void WordProcessor::setSpaceAfterAuto(bool on) {
    changeParagraphs([on](QTextBlockFormat &format) {
        format.setProperty(wordmodel::SpaceAfterAuto, on);
        format.setBottomMargin(on ? wordmodel::AutoSpacing : 0.0);
    });
}

void WordProcessor::addTabStop(qreal points) {
    changeParagraphs([points](QTextBlockFormat &format) {
        QList<QTextOption::Tab> tabs = format.tabPositions();
        tabs.removeIf([points](const QTextOption::Tab &tab) { return qAbs(tab.position - points) < 0.01; });
        tabs.append(QTextOption::Tab(points, QTextOption::LeftTab));
        std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab &a, const QTextOption::Tab &b) {
            return a.position < b.position;
        });
        format.setTabPositions(tabs);
    });
}

int WordProcessor::replaceAll(const QString &find, const QString &replacement) {
    return replaceAll(find, replacement, QTextCharFormat());
}

int WordProcessor::replaceAll(const QString &find, const QString &replacement,
                              const QTextCharFormat &replacementFormat) {
    if (find.isEmpty())
        return 0;
    int count = 0;
    QTextCursor editor(m_document.get());
    editor.beginEditBlock();
    QTextCursor found = m_document->find(find, 0, QTextDocument::FindCaseSensitively);
    while (!found.isNull()) {
        QTextCharFormat format = textFormat(formatAt(m_document.get(), found.selectionStart()));
        format.merge(replacementFormat);
        insertText(found, replacement, format);
        ++count;
        found = m_document->find(find, found, QTextDocument::FindCaseSensitively);
    }
    editor.endEditBlock();
    return count;
}

void WordProcessor::setLandscape(bool landscape) {
    const QSizeF portrait = wordmodel::a4();
    m_document->setPageSize(landscape ? portrait.transposed() : portrait);
    fitPictures();
}

bool WordProcessor::isLandscape() const {
    return m_document->pageSize().width() > m_document->pageSize().height();
}

void WordProcessor::setMargins(qreal points) {
    m_document->setDocumentMargin(points);
    fitPictures();
}

void WordProcessor::fitPictures() {
    const QSizeF area = wordmodel::textArea(*m_document);
    struct Change {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid() || !format.hasProperty(wordmodel::NaturalWidth))
                continue;
            const QSizeF natural(format.doubleProperty(wordmodel::NaturalWidth),
                                 format.doubleProperty(wordmodel::NaturalHeight));
            const QSizeF size = wordmodel::fitted(natural, area);
            format.setWidth(size.width());
            format.setHeight(size.height());
            changes.append({fragment.position(), fragment.length(), format});
        }
    }
    QTextCursor editor(m_document.get());
    editor.beginEditBlock();
    for (const Change &change : changes) {
        editor.setPosition(change.position);
        editor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        editor.setCharFormat(change.format);
    }
    editor.endEditBlock();
}

bool WordProcessor::saveAs(const QString &path, QString *error) const {
    return DocxWriter(*m_document).write(path, error);
}
