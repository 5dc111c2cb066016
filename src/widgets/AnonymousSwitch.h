#pragma once

#include <QAction>

// "Anonymně", the switch of every window whose output carries names: checked, the window makes its output
// with the pupils' codes for their names and without the school and the class teacher. Off when the
// window opens; the window rebuilds what it shows when it is switched.
inline QAction *makeAnonymousSwitch(QObject *parent) {
    auto *action = new QAction(QStringLiteral("Anonymně"), parent);
    action->setObjectName(QStringLiteral("Anonymne_Action"));
    action->setCheckable(true);
    action->setToolTip(QStringLiteral("Výstup bez jmen: kódy žáků (D1… dívky, C1… chlapci) místo jmen, bez "
                                      "školy a třídního učitele"));
    return action;
}
