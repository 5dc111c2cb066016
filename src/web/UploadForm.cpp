#include "web/UploadForm.h"

#include "widgets/ShowInFront.h"

#include "data/AppContext.h"
#include "data/DatabaseError.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "platform/Shell.h"
#include "web/CurlFtpClient.h"
#include "web/FtpForm.h"
#include "web/FtpSettings.h"
#include "web/TransferPanel.h"
#include "web/WebPublishing.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TUpload_Form::TUpload_Form(AppContext &context, QWidget *parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("TUpload_Form"));
    setWindowTitle(QStringLiteral("Nahrání dotazníků na internet"));
    resize(560, 420);
    auto *layout = new QVBoxLayout(this);
    auto *intro =
        new QLabel(QStringLiteral("Zde je seznam dotazníků, které byly vygenerovány a které mohou být "
                                  "uvedeny na úvodní stránce k vyplnění."),
                   this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *choose =
        new QLabel(QStringLiteral("Vyberte dotazníky, které chcete, aby se v rozcestníku zobrazily."), this);
    choose->setWordWrap(true);
    layout->addWidget(choose);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("Dotazniky_CheckListBox"));
    layout->addWidget(m_list, 1);
    m_transfer = new TransferPanel(this);
    layout->addWidget(m_transfer);
    m_send = new QPushButton(QStringLiteral("Odeslat soubory na internet"), this);
    m_send->setObjectName(QStringLiteral("Odeslat_Button"));
    m_send->setDefault(true);
    layout->addWidget(m_send, 0, Qt::AlignRight);
    connect(m_send, &QPushButton::clicked, this, &TUpload_Form::upload);
}

void TUpload_Form::showEvent(QShowEvent *event) {
    fill();
    QDialog::showEvent(event);
}

void TUpload_Form::fill() {
    m_list->clear();
    try {
        for (const WebPublishing::Item &item :
             WebPublishing::generatedSessions(*m_context.database, m_context.folders)) {
            auto *row = new QListWidgetItem(item.text(), m_list);
            row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
            row->setCheckState(Qt::Unchecked);
            row->setData(Qt::UserRole, item.sessionId);
            row->setData(Qt::UserRole + 1, item.label);
        }
    } catch (const DatabaseError &error) {
        m_context.prompter->message(error.message(), QString(), Prompter::Icon::Error);
    }
}

TFtp_Form *TUpload_Form::settingsWindow() {
    if (auto *shared = parentWidget() ? parentWidget()->findChild<TFtp_Form *>() : nullptr)
        return shared;
    if (!m_ownSettings)
        m_ownSettings = new TFtp_Form(m_context, this);
    return m_ownSettings;
}

void TUpload_Form::cancel() {
    m_transfer->cancel();
}

bool TUpload_Form::upload() {
    IniFile settingsFile(m_context.folders.programSettingsPath());
    FtpSettings settings = FtpSettings::load(settingsFile);
    if (!settings.complete()) {
        m_context.prompter->message(
            QStringLiteral("Nejsou vyplněny údaje o FTP serveru. Přejděte do nastavení a údaje zadejte."));
        showInFront(settingsWindow());
        return false;
    }
    QList<WebPublishing::Item> checked;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem *row = m_list->item(i);
        if (row->checkState() == Qt::Checked)
            checked.append({row->data(Qt::UserRole).toLongLong(), row->data(Qt::UserRole + 1).toString()});
    }
    CurlFtpClient ftp;
    m_send->setEnabled(false);
    m_list->setEnabled(false);
    m_transfer->begin();
    ftp.setProgress(m_transfer->progress());
    bool sent = false;
    WebPublishing::Report report;
    for (bool again = true; again;) {
        again = false;
        try {
            report = WebPublishing::publish(ftp, settings, m_context.folders, checked,
                                            [this](const QString &file, int index, int count) {
                                                return m_transfer->step(file, index, count);
                                            });
            sent = true;
        } catch (const std::exception &error) {
            const auto *ftpError = dynamic_cast<const FtpError *>(&error);
            // A server certificate the system does not trust: the teacher may accept it here too; it is
            // kept in the settings before the upload is tried again.
            if (ftpError && ftpError->kind() == FtpError::Kind::Certificate &&
                !ftpError->serverKey().isEmpty() && ftpError->serverKey() != settings.trustedKey) {
                if (TFtp_Form::trustCertificate(*ftpError, *m_context.prompter)) {
                    settings.trustedKey = ftpError->serverKey();
                    QString saveError;
                    if (settings.save(settingsFile, &saveError))
                        again = true;
                    else
                        m_context.prompter->message(saveError, QString(), Prompter::Icon::Error);
                }
                continue;
            }
            m_context.prompter->message(ftpError ? ftpError->message() : QString::fromUtf8(error.what()),
                                        QString(), Prompter::Icon::Error);
        }
    }
    m_transfer->end();
    m_send->setEnabled(true);
    m_list->setEnabled(true);
    if (sent) {
        m_context.prompter->message(report.message(), QString(),
                                    report.faults.isEmpty() ? Prompter::Icon::Information
                                                            : Prompter::Icon::Warning);
        m_context.shell->openUrl(QUrl::fromUserInput(settings.address));
    }
    return sent;
}
