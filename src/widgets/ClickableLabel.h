#pragma once

#include <QLabel>
#include <functional>

// A picture or text that runs an action when clicked (the information pictures of the windows).
class ClickableLabel final : public QLabel {
public:
    ClickableLabel(std::function<void()> onClick, QWidget *parent) : QLabel(parent), m_onClick(std::move(onClick)) {}

protected:
    void mouseReleaseEvent(QMouseEvent *event) override {
        QLabel::mouseReleaseEvent(event);
        m_onClick();
    }

private:
    std::function<void()> m_onClick;
};
