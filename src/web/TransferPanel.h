#pragma once

#include "web/FtpClient.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a long FTP transfer inside a window: what is being sent, how far it got, and "Zrušit".
// The transfer runs on the window's thread; the progress callback keeps the window responsive.
class TransferPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferPanel)
public:
    explicit TransferPanel(QWidget *parent = nullptr);

    void begin();
    void end();
    // Before a file: its name and its place among all files; false once the user cancelled.
    bool step(const QString &file, int index, int count);
    // For FtpClient::setProgress: bytes of the current file; false once the user cancelled.
    TransferProgress progress();
    bool cancelled() const { return m_cancelled; }
    void cancel() { m_cancelled = true; }

private:
    QLabel *m_label = nullptr;
    QProgressBar *m_files = nullptr;
    QProgressBar *m_bytes = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_cancelled = false;
    QElapsedTimer m_lastReport;
};
