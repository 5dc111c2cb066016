#include "widgets/ShowInFront.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

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

void showAlongside(QWidget *window)
{
    QWidget *modal = QApplication::activeModalWidget();
    QWidget *owner = modal && modal != window ? modal : window->parentWidget();
    if (window->windowModality() != Qt::NonModal) {
        window->hide();
        window->setWindowModality(Qt::NonModal);
    }
    window->winId(); // makes the window's QWindow
    if (QWindow *handle = window->windowHandle())
        handle->setTransientParent(owner && owner->window()->windowHandle() ? owner->window()->windowHandle() : nullptr);
    window->show();
    window->raise();
    window->activateWindow();
}
