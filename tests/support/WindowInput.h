#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Whether a key pressed on a shown window reaches it. The key goes the way of the window system, so a
// window that a modal one blocks gets nothing (QTest's widget overloads would bypass that check).
inline bool keyReachesWindow(QWidget *window, Qt::Key key) {
    struct Watch final : QObject {
        QWidget *window;
        bool reached = false;
        explicit Watch(QWidget *w) : window(w) { QApplication::instance()->installEventFilter(this); }
        bool eventFilter(QObject *watched, QEvent *event) override {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (event->type() == QEvent::KeyPress && widget && (widget == window || window->isAncestorOf(widget)))
                reached = true;
            return false;
        }
    } watch(window);
    if (!window->windowHandle())
        return false;
    QTest::keyClick(window->windowHandle(), key);
    return watch.reached;
}
