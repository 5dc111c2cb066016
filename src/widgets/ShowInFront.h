#pragma once

class QWidget;

// Shows a window the user is to work with "without waiting": not modal, unless a modal window is open;
// then it is shown modal too, since Qt gives a window under a modal one no input at all.
void showInFront(QWidget *window);

// Shows a window to be used side by side with the one that opened it (the editor's previews, the pupil
// card): never modal, and made a transient of the modal window that is open, if any, so that neither of
// the two blocks the other.
void showAlongside(QWidget *window);
