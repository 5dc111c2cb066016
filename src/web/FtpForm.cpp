#include "web/FtpForm.h"

#include "data/AppContext.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "web/CurlFtpClient.h"
#include "web/FtpSettings.h"
#include "web/TransferPanel.h"
#include "web/WebPublishing.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFtp_Form::TFtp_Form(AppContext &context, QWidget *parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("TFtp_Form"));
    setWindowTitle(QStringLiteral("Nastavení FTP"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    auto field = [&](const char *name, const QString &label) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMinimumWidth(320);
        form->addRow(label, edit);
        return edit;
    };
    m_host = field("Host_Edit", QStringLiteral("Host:"));
    m_user = field("Jmeno_Edit", QStringLiteral("Jméno uživatele:"));
    m_password = field("Heslo_Edit", QStringLiteral("Heslo:"));
    m_folder = field("Dir_Edit", QStringLiteral("Vzdálená složka:"));
    m_folder->setText(QStringLiteral("web/dotaznik/"));
    m_address = field("Stranky_Edit", QStringLiteral("Adresa stránek WWW"));
    layout->addLayout(form);
    m_transfer = new TransferPanel(this);
    layout->addWidget(m_transfer);
    m_save = new QPushButton(QStringLiteral("Uložit"), this);
    m_save->setObjectName(QStringLiteral("Ulozit_Button"));
    m_save->setDefault(true);
    layout->addWidget(m_save, 0, Qt::AlignRight);
    connect(m_save, &QPushButton::clicked, this, &TFtp_Form::save);
}

void TFtp_Form::showEvent(QShowEvent *event) {
    load();
    QDialog::showEvent(event);
}

void TFtp_Form::load() {
    const FtpSettings s = FtpSettings::load(IniFile(m_context.folders.programSettingsPath()));
    m_host->setText(s.host);
    m_user->setText(s.user);
    m_password->setText(s.password);
    m_folder->setText(s.folder);
    m_address->setText(s.address);
}

FtpSettings TFtp_Form::fields() const {
    return {m_host->text().trimmed(), m_user->text(), m_password->text(), m_folder->text().trimmed(),
            m_address->text().trimmed()};
}

bool TFtp_Form::save() {
    IniFile file(m_context.folders.programSettingsPath());
    CurlFtpClient ftp;
    m_save->setEnabled(false);
    m_transfer->begin();
    ftp.setProgress(m_transfer->progress());
    bool saved = false;
    try {
        saved = WebPublishing::testAndSave(ftp, fields(), file, *m_context.prompter);
    } catch (const FtpError &error) {
        m_context.prompter->message(error.message(), QString(), Prompter::Icon::Error);
    }
    m_transfer->end();
    m_save->setEnabled(true);
    return saved;
}
