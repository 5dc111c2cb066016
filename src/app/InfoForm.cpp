#include "app/InfoForm.h"

#include "data/AppContext.h"
#include "platform/Prompter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TInfo_Form::TInfo_Form(AppContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TInfo_Form"));
    setWindowTitle(QStringLiteral("O programu Orbelis"));
    auto *layout = new QVBoxLayout(this);
    auto *name = new QLabel(QStringLiteral("<h2>Orbelis</h2><p>Vztahy ve školní třídě: sociogramy, grafy a "
                                           "vyhodnocení dotazníků.</p>"),
                            this);
    layout->addWidget(name);
    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("Verze_Label"));
    layout->addWidget(m_version);
    m_expert = new QCheckBox(QStringLiteral("Expertní nastavení"), this);
    m_expert->setObjectName(QStringLiteral("Expert_CheckBox"));
    layout->addWidget(m_expert);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Zavřít"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_expert, &QCheckBox::toggled, this, &TInfo_Form::expertToggled);
    setVersionText(context.versionText);
}

void TInfo_Form::setVersionText(const QString &text) { m_version->setText(text); }

void TInfo_Form::showEvent(QShowEvent *event)
{
    const QSignalBlocker blocker(m_expert);
    m_expert->setChecked(m_context.settings && m_context.settings->expert());
    QDialog::showEvent(event);
}

void TInfo_Form::expertToggled(bool checked)
{
    QString error;
    if (m_context.settings && !m_context.settings->setExpert(checked, &error))
        m_context.prompter->message(error, QString(), Prompter::Icon::Error);
    emit expertChanged(checked);
}
