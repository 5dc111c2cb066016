#include "widgets/ShowInFront.h"

#include <QApplication>
#include <QWidget>

void showInFront(QWidget *window)
{
    QWidget *modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted = modal && modal != window ? Qt::ApplicationModal : Qt::NonModal;
    if (window->windowModality() != wanted) {
        window->hide(); // a visible window keeps its modality until it is shown again
        window->setWindowModality(wanted);
    }
    window->show();
    window->raise();
    window->activateWindow();
}
