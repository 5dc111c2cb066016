#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class TransferPanel;
struct AppContext;
struct FtpSettings;

// "Nastavení FTP": the server, account, remote folder and public address of the web forms. "Uložit"
// saves them after a connection test and offers to create a missing remote folder.
class TFtp_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFtp_Form)
public:
    explicit TFtp_Form(AppContext &context, QWidget *parent = nullptr);

    // "Uložit"; true when the settings were saved.
    bool save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void load();
    FtpSettings fields() const;

    AppContext &m_context;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_folder = nullptr;
    QLineEdit *m_address = nullptr;
    QPushButton *m_save = nullptr;
    TransferPanel *m_transfer = nullptr;
};
