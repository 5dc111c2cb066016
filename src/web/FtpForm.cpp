#include "web/FtpForm.h"

#include "data/AppContext.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "web/CurlFtpClient.h"
#include "web/FtpSettings.h"
#include "web/TransferPanel.h"
#include "web/WebPublishing.h"

#include <QCheckBox>
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
    m_allowPlain = new QCheckBox(QStringLiteral("Povolit nešifrované FTP (heslo půjde sítí čitelně)"), this);
    m_allowPlain->setObjectName(QStringLiteral("Nesifrovane_Check"));
    layout->addWidget(m_allowPlain);
    m_openCollection = new QCheckBox(QStringLiteral("Sběr bez kódů"), this);
    m_openCollection->setObjectName(QStringLiteral("BezKodu_Check"));
    layout->addWidget(m_openCollection);
    connect(m_openCollection, &QCheckBox::toggled, this, &TFtp_Form::openCollectionToggled);
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
    m_allowPlain->setChecked(s.allowPlain);
    {
        // As saved: no warning.
        const QSignalBlocker quiet(m_openCollection);
        m_openCollection->setChecked(s.openCollection);
    }
    m_trustedKey = s.trustedKey;
}

FtpSettings TFtp_Form::fields() const {
    FtpSettings s;
    s.host = m_host->text().trimmed();
    s.user = m_user->text();
    s.password = m_password->text();
    s.folder = m_folder->text().trimmed();
    s.address = m_address->text().trimmed();
    s.allowPlain = m_allowPlain->isChecked();
    s.trustedKey = m_trustedKey;
    s.openCollection = m_openCollection->isChecked();
    return s;
}

void TFtp_Form::openCollectionToggled(bool on) {
    if (!on)
        return;
    const bool sure = m_context.prompter->askYesNo(
        QStringLiteral("Bez kódů může kdokoli, kdo zná adresu stránek, odpovídat za kteréhokoli žáka, i "
                       "opakovaně, a uvidí jména všech žáků třídy. Opravdu chcete sbírat odpovědi bez kódů?"),
        QStringLiteral("Sběr bez kódů"), Prompter::Icon::Warning);
    if (!sure) {
        const QSignalBlocker quiet(m_openCollection);
        m_openCollection->setChecked(false);
    }
}

bool TFtp_Form::trustCertificate(const FtpError &error, Prompter &prompter) {
    if (error.kind() != FtpError::Kind::Certificate || error.serverKey().isEmpty())
        return false;
    // The explanation without the library's details, then the question.
    return prompter.askYesNo(
        error.message().section(u'\n', 0, 0) +
            QStringLiteral("\n\nChcete tomuto certifikátu důvěřovat? Program pak u tohoto "
                           "serveru přijme jen certifikát s tímto klíčem."),
        QStringLiteral("Certifikát serveru"), Prompter::Icon::Warning);
}

bool TFtp_Form::save() {
    IniFile file(m_context.folders.programSettingsPath());
    CurlFtpClient ftp;
    m_save->setEnabled(false);
    m_transfer->begin();
    ftp.setProgress(m_transfer->progress());
    bool saved = false;
    for (bool again = true; again;) {
        again = false;
        try {
            saved = WebPublishing::testAndSave(ftp, fields(), file, *m_context.prompter);
        } catch (const FtpError &error) {
            // A certificate the teacher accepts is tried at once (and saved with the rest when it works); the
            // key accepted already, offered again, means the server did not take it: no endless asking.
            const bool offer = error.kind() == FtpError::Kind::Certificate && !error.serverKey().isEmpty() &&
                               error.serverKey() != m_trustedKey;
            if (!offer)
                m_context.prompter->message(error.message(), QString(), Prompter::Icon::Error);
            else if (trustCertificate(error, *m_context.prompter)) {
                m_trustedKey = error.serverKey();
                again = true;
            }
        }
    }
    m_transfer->end();
    m_save->setEnabled(true);
    return saved;
}
