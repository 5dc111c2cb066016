#pragma once

class QWidget;

// Shows a window the user is to work with "without waiting": not modal, unless a modal window is open;
// then it is shown modal too, since Qt gives a window under a modal one no input at all.
void showInFront(QWidget *window);
