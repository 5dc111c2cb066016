#include "graphics/VlastnostiForm.h"

#include "graph/GraphDocument.h"
#include "graph/GraphObject.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TVlastnosti_Form::TVlastnosti_Form(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TVlastnosti_Form"));
    setWindowTitle(QStringLiteral("Vlastnosti"));
    resize(418, 191);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Text:"), this));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo1"));
    layout->addWidget(m_text, 1);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, &TVlastnosti_Form::applyText);
}

TVlastnosti_Form::~TVlastnosti_Form() = default;

void TVlastnosti_Form::edit(GraphDocument *document, TGraphObject *object) {
    m_document = document;
    m_objectId = object ? object->ID() : 0;
    QString text = object ? object->Text() : QString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
}

QString TVlastnosti_Form::objectText(const QString &editText) {
    QStringList lines = editText.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // the text ended with a line break, or is empty
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void TVlastnosti_Form::applyText() {
    TGraphObject *object = m_document ? m_document->FindObjectByID(m_objectId) : nullptr;
    if (object) {
        m_document->BeginUpdate();
        object->BeginUpdate();
        object->SetText(objectText(m_text->toPlainText()));
        object->EndUpdate();
        m_document->EndUpdate();
    }
    accept();
}
