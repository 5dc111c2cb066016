#pragma once

#include <QMenuBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

// What the program's output windows open with: a menu bar and a tool bar ("ToolBar1") above the body,
// edge to edge; the window adds its body to `layout`.
struct WindowFrame {
    QVBoxLayout *layout = nullptr;
    QMenuBar *menuBar = nullptr;
    QToolBar *toolBar = nullptr;
};

inline WindowFrame makeWindowFrame(QWidget *window) {
    WindowFrame frame;
    frame.layout = new QVBoxLayout(window);
    frame.layout->setContentsMargins(0, 0, 0, 0);
    frame.layout->setSpacing(0);
    frame.menuBar = new QMenuBar(window);
    frame.layout->setMenuBar(frame.menuBar);
    frame.toolBar = new QToolBar(window);
    frame.toolBar->setObjectName(QStringLiteral("ToolBar1"));
    frame.layout->addWidget(frame.toolBar);
    return frame;
}
