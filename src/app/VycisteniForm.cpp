#include "app/VycisteniForm.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/DatabaseMaintenance.h"
#include "platform/Prompter.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

TVycisteni_Form::TVycisteni_Form(AppContext &context, QWidget *parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("TVycisteni_Form"));
    setWindowTitle(QStringLiteral("Vyčištění databáze"));
    setModal(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 130, 189));
    setPalette(colours);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(20);
    m_warning = new QLabel(QStringLiteral("POZOR na ztrátu dat. Před použití si data zazálohujte. "), this);
    m_warning->setObjectName(QStringLiteral("Label1"));
    QFont large = m_warning->font();
    large.setPixelSize(21);
    m_warning->setFont(large);
    m_warning->setWordWrap(true);
    layout->addWidget(m_warning);
    m_button = new QPushButton(QStringLiteral("Odstranit všechny odpovědi a vyhodnocení dotazníků "), this);
    m_button->setObjectName(QStringLiteral("Button1"));
    m_button->setAutoDefault(false);
    connect(m_button, &QPushButton::clicked, this, &TVycisteni_Form::wipe);
    layout->addWidget(m_button);
    layout->addStretch(1);

    // Esc closes the window wherever the focus is.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
    resize(520, 190);
}

bool TVycisteni_Form::wipe() {
    Prompter &prompter = *m_context.prompter;
    if (!prompter.askYesNo(
            QStringLiteral("Odstraníte všechna vyhodnocení a také všechny odpovědi žáků. Určitě to "
                           "chcete udělat?"),
            QStringLiteral("Vymazat vyhodnocení"), Prompter::Icon::None))
        return false;
    try {
        if (!m_context.database)
            throw DatabaseError(QStringLiteral("Databáze není otevřená."));
        DatabaseMaintenance::wipeAnswersAndSessions(*m_context.database);
    } catch (const DatabaseError &e) {
        prompter.message(e.message(), QString(), Prompter::Icon::Error);
        return false;
    }
    // The session list and menu of the current class must not offer sessions that are gone.
    if (TDM *dm = m_context.dm) {
        if (dm->Trida_Query().isOpen())
            dm->runClassChange();
        for (Dataset *answers : {&dm->Odpovedi_Query(), &dm->ADOQuery2()})
            if (answers->isOpen())
                dm->RefreshDataset(*answers);
    }
    return true;
}

void TVycisteni_Form::showEvent(QShowEvent *event) {
    if (QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr)
        move(owner->frameGeometry().center() -
             QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    QDialog::showEvent(event);
}
