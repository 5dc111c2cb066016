#include "web/TransferPanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TransferPanel::TransferPanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Prenos_Panel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_files = new QProgressBar(this);
    m_files->setObjectName(QStringLiteral("Soubory_ProgressBar"));
    m_bytes = new QProgressBar(this);
    m_bytes->setObjectName(QStringLiteral("Data_ProgressBar"));
    m_cancel = new QPushButton(QStringLiteral("Zrušit"), this);
    m_cancel->setObjectName(QStringLiteral("Zrusit_Button"));
    connect(m_cancel, &QPushButton::clicked, this, &TransferPanel::cancel);
    layout->addWidget(m_label);
    layout->addWidget(m_files);
    layout->addWidget(m_bytes);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    hide();
}

void TransferPanel::begin() {
    m_cancelled = false;
    m_label->setText(QStringLiteral("Připojování k serveru…"));
    m_files->setRange(0, 1);
    m_files->setValue(0);
    m_bytes->setRange(0, 0);
    show();
    QCoreApplication::processEvents();
}

void TransferPanel::end() {
    hide();
}

bool TransferPanel::step(const QString &file, int index, int count) {
    m_label->setText(QStringLiteral("Odesílá se %1 (%2 z %3)").arg(file).arg(index + 1).arg(count));
    m_files->setRange(0, count);
    m_files->setValue(index);
    QCoreApplication::processEvents();
    return !m_cancelled;
}

TransferProgress TransferPanel::progress() {
    return [this](qint64 done, qint64 total) {
        // The library reports far more often than a bar needs repainting: twenty times a second is enough.
        if (m_lastReport.isValid() && m_lastReport.elapsed() < 50)
            return !m_cancelled;
        m_lastReport.start();
        if (total > 0) {
            m_bytes->setRange(0, 1000);
            m_bytes->setValue(int(done * 1000 / total));
        } else {
            m_bytes->setRange(0, 0);
        }
        QCoreApplication::processEvents();
        return !m_cancelled;
    };
}
