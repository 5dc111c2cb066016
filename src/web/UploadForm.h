#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
class TFtp_Form;
class TransferPanel;
struct AppContext;

// "Nahrání dotazníků na internet": the generated sessions, each with a check box for the root index page,
// and "Odeslat soubory na internet", which uploads the checked ones and opens the public address.
class TUpload_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TUpload_Form)
public:
    explicit TUpload_Form(AppContext &context, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    // Reads the generated sessions again (done on every showing); the items start unchecked.
    void fill();
    // "Odeslat soubory na internet"; true when everything was sent.
    bool upload();
    // Cancels a running upload (the "Zrušit" button).
    void cancel();

protected:
    void showEvent(QShowEvent *event) override;

private:
    TFtp_Form *settingsWindow();

    AppContext &m_context;
    QListWidget *m_list = nullptr;
    QPushButton *m_send = nullptr;
    TransferPanel *m_transfer = nullptr;
    TFtp_Form *m_ownSettings = nullptr;
};
