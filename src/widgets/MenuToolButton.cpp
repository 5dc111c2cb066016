#include "widgets/MenuToolButton.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

QToolButton *addMenuToolButton(QToolBar *toolBar, const QString &objectName, const QString &caption,
                               const QIcon &icon, QMenu *menu, int minimumWidth) {
    auto *button = new QToolButton(toolBar);
    button->setObjectName(objectName);
    button->setText(caption);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setMinimumSize(minimumWidth, 36);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    QObject::connect(button, &QToolButton::clicked, menu,
                     [menu] { menu->popup(QCursor::pos() + QPoint(-50, 20)); });
    toolBar->addWidget(button);
    return button;
}
