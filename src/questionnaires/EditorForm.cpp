#include "questionnaires/EditorForm.h"
#include "widgets/ShowInFront.h"

#include "data/AppContext.h"
#include "graphics/PrintPreview.h"
#include "picture/PagedDocument.h"
#include "platform/Prompter.h"
#include "questionnaires/TextExport.h"

#include <QMenuBar>
#include <QShortcut>
#include <QTextEdit>
#include <QVBoxLayout>

TEditor_Form::TEditor_Form(AppContext &context, QWidget *parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("TEditor_Form"));
    setWindowTitle(QStringLiteral("Editor"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(640, 720);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu *file = menuBar->addMenu(QStringLiteral("&Soubor"));
    file->addAction(QStringLiteral("&Uložit jako..."), this, &TEditor_Form::saveAs)
        ->setObjectName(QStringLiteral("UlozitJako_Action"));
    file->addAction(QStringLiteral("Uložit jako &PDF"), this, &TEditor_Form::savePdf)
        ->setObjectName(QStringLiteral("UlozitPdf_Action"));
    file->addAction(QStringLiteral("&Tisk..."), this, &TEditor_Form::print)->setObjectName(QStringLiteral("Tisk_Action"));

    m_richEdit = new QTextEdit(this);
    m_richEdit->setObjectName(QStringLiteral("RichEdit1"));
    m_richEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_richEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_richEdit->setLineWrapMode(QTextEdit::NoWrap);
    layout->addWidget(m_richEdit);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
}

void TEditor_Form::showLines(const QList<StyledLine> &lines, const WordLayout &layout) {
    QuestionnaireTexts::writeTo(*m_richEdit->document(), lines);
    m_layout = layout;
    showAlongside(this);
}

void TEditor_Form::showPlainText(const QString &text) {
    m_richEdit->clear();
    m_richEdit->setPlainText(text);
    m_layout = {};
    showAlongside(this);
}

void TEditor_Form::layOut(WordProcessor &word) const {
    layOutForWord(word, *m_richEdit->document(), m_layout);
}

void TEditor_Form::saveAs() {
    const QString path = m_context.prompter->saveFileName(
        QStringLiteral("Uložit text"), QStringLiteral("Dokument Word (*.docx);;Text (*.txt)"), QStringLiteral("docx"));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveEditorText(*m_richEdit->document(), path, m_layout, &error))
        m_context.prompter->message(error, QString(), Prompter::Icon::Error);
}

void TEditor_Form::savePdf() {
    PrintPreview::savePdf(*m_context.prompter, textPages(*m_richEdit->document(), windowTitle()),
                          windowTitle());
}

void TEditor_Form::print() {
    PrintPreview::open(*m_context.prompter, this, textPages(*m_richEdit->document(), windowTitle()),
                       QStringLiteral("Editor_Nahled"));
}
