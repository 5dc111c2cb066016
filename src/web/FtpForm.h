#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TransferPanel;
struct AppContext;
struct FtpSettings;
class FtpError;
class Prompter;

// "Nastavení FTP": the server, account, remote folder and public address of the web forms, whether plain
// FTP is allowed and whether the forms go without pupil codes. "Uložit" saves them after a connection test,
// offers to create a missing remote folder and, for a server whose certificate the system does not trust,
// to trust that one certificate (its key is kept in the settings).
class TFtp_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFtp_Form)
public:
    explicit TFtp_Form(AppContext &context, QWidget *parent = nullptr);

    // "Uložit"; true when the settings were saved.
    bool save();

    // For an FtpError of Kind::Certificate that tells the server's key: asks whether to trust that one
    // certificate; true on "yes" (the caller keeps error.serverKey() and tries again).
    static bool trustCertificate(const FtpError &error, Prompter &prompter);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void load();
    FtpSettings fields() const;
    // "Sběr bez kódů" ticked: warns and keeps the tick only on "yes".
    void openCollectionToggled(bool on);

    AppContext &m_context;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_folder = nullptr;
    QLineEdit *m_address = nullptr;
    QCheckBox *m_allowPlain = nullptr;
    QCheckBox *m_openCollection = nullptr;
    QString m_trustedKey; // the accepted server key, kept as loaded unless a new one is accepted
    QPushButton *m_save = nullptr;
    TransferPanel *m_transfer = nullptr;
};
