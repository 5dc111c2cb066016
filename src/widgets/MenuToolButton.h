#pragma once

#include <QString>

class QIcon;
class QMenu;
class QToolBar;
class QToolButton;

// A tool-bar button with a drop-down menu, caption under the picture: the arrow opens the menu under the
// button, a click on the button itself opens it at the mouse (50 pixels to the left, 20 down).
QToolButton *addMenuToolButton(QToolBar *toolBar, const QString &objectName, const QString &caption,
                               const QIcon &icon, QMenu *menu, int minimumWidth);
