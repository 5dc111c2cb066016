#include "pupils/ImportZakaForm.h"

#include "data/AppContext.h"
#include "platform/Prompter.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/ClassRoster.h"
#include "pupils/PupilImportText.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TImport_Zaka_Form::TImport_Zaka_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("TImport_Zaka_Form"));
    setWindowTitle(QStringLiteral("Import žáků"));
    resize(560, 520);

    auto *layout = new QVBoxLayout(this);
    auto *instruction = new QLabel(PupilImportText::instruction(), this);
    instruction->setObjectName(QStringLiteral("Label1"));
    instruction->setWordWrap(true);
    layout->addWidget(instruction);

    auto *example = new QGridLayout;
    auto *exampleTitle = new QLabel(QStringLiteral("Příklad:"), this);
    exampleTitle->setObjectName(QStringLiteral("Label2"));
    example->addWidget(exampleTitle, 0, 0, Qt::AlignTop);
    auto *lines = new QLabel(PupilImportText::exampleLines().join(u'\n'), this);
    lines->setObjectName(QStringLiteral("Label3"));
    example->addWidget(lines, 0, 1);
    m_importButton = new QPushButton(QStringLiteral("Import"), this);
    m_importButton->setObjectName(QStringLiteral("Import_Button"));
    m_importButton->setAutoDefault(false);
    example->addWidget(m_importButton, 0, 2, Qt::AlignBottom | Qt::AlignRight);
    example->setColumnStretch(1, 1);
    layout->addLayout(example);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(m_memo, 1);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("Vysledek_Label"));
    layout->addWidget(m_result);

    connect(m_importButton, &QPushButton::clicked, this, &TImport_Zaka_Form::importPupils);
    connect(m_memo, &QPlainTextEdit::textChanged, this, [this] {
        m_importButton->setEnabled(true);
        m_result->clear();
    });
}

QString TImport_Zaka_Form::addedText(int added) {
    if (added == 0)
        return QStringLiteral("Nebyl přidán žádný žák.");
    if (added == 1)
        return QStringLiteral("Přidán 1 žák.");
    if (added < 5)
        return QStringLiteral("Přidáni %1 žáci.").arg(added);
    return QStringLiteral("Přidáno %1 žáků.").arg(added);
}

int TImport_Zaka_Form::importPupils() {
    TDM &dm = *m_context.dm;
    const QVariant classId = dm.currentClassId();
    if (classId.isNull() || !classId.isValid()) {
        m_context.prompter->message(
            QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. "));
        return -1;
    }
    const int added = dm.roster().importPupils(classId.toLongLong(), PupilImportText::parse(m_memo->toPlainText()));
    dm.RefreshDataset(dm.Zak_Query());
    if (added >= 0) {
        m_result->setText(addedText(added));
        m_importButton->setEnabled(false);
    }
    return added;
}
