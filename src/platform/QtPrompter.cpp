#include "platform/QtPrompter.h"

#include "platform/LongWords.h"
#include "platform/SharedPrinter.h"

#include <QApplication>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationName() : title;
}

// The box of a second question. Until it has been on the screen for a while it swallows the clicks and
// keys aimed at it, so that the end of the gesture that closed the box before it (a double-click, a key
// pressed twice) cannot answer it; and it moves off the spot where the first box's "Ano" was.
class SecondQuestionBox final : public QMessageBox
{
public:
    SecondQuestionBox(const QString &title, const QString &text, const QRect &firstYes, QWidget *parent)
        : QMessageBox(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent), m_firstYes(firstYes)
    {
        m_yes = addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
        QPushButton *no = addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
        setDefaultButton(no);
        setEscapeButton(no);
        QCoreApplication::instance()->installEventFilter(this);
    }

    QPushButton *yesButton() const { return m_yes; }

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        moveOffFirstYes();
        m_shown.start();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride: {
            auto *widget = qobject_cast<QWidget *>(watched);
            const bool young = !m_shown.isValid() || m_shown.elapsed() < Prompter::kSecondQuestionGuardMs;
            return young && widget && (widget == this || isAncestorOf(widget));
        }
        default:
            return false;
        }
    }

private:
    void moveOffFirstYes()
    {
        const QRect yes(m_yes->mapToGlobal(QPoint(0, 0)), m_yes->size());
        if (m_firstYes.isNull() || !yes.intersects(m_firstYes))
            return;
        const int gap = yes.height();
        const int down = m_firstYes.bottom() + gap - yes.top();
        const int up = m_firstYes.top() - gap - yes.bottom();
        const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
        const bool fitsBelow = screen.isNull() || frameGeometry().bottom() + down <= screen.bottom();
        move(pos() + QPoint(0, fitsBelow ? down : up));
    }

    QRect m_firstYes;
    QPushButton *m_yes = nullptr;
    QElapsedTimer m_shown;
};

} // namespace

QWidget *QtPrompter::parentWindow() { return QApplication::activeWindow(); }

void QtPrompter::message(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(boxIcon(icon), titleOr(title), breakableLongWords(text), QMessageBox::Ok, parentWindow());
    box.exec();
}

bool QtPrompter::askYesNo(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(boxIcon(icon), titleOr(title), breakableLongWords(text), QMessageBox::NoButton, parentWindow());
    QPushButton *yes = box.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    box.exec();
    m_lastYes = QRect(yes->mapToGlobal(QPoint(0, 0)), yes->size());
    return box.clickedButton() == yes;
}

bool QtPrompter::askYesNoAgain(const QString &text, const QString &title)
{
    SecondQuestionBox box(titleOr(title), breakableLongWords(text), m_lastYes, parentWindow());
    box.exec();
    m_lastYes = QRect(box.yesButton()->mapToGlobal(QPoint(0, 0)), box.yesButton()->size());
    return box.clickedButton() == box.yesButton();
}

Prompter::Answer QtPrompter::askYesNoCancel(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), breakableLongWords(text), QMessageBox::NoButton, parentWindow());
    QPushButton *yes = box.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Zrušit"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : box.clickedButton() == no ? Answer::No : Answer::Cancel;
}

int QtPrompter::askChoice(const QString &text, const QString &title, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::Information, titleOr(title), breakableLongWords(text), QMessageBox::NoButton, parentWindow());
    QList<QAbstractButton *> added;
    for (const QString &caption : buttons) {
        QPushButton *button = box.addButton(caption, QMessageBox::AcceptRole);
        button->setMinimumWidth(150);
        added << button;
    }
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

std::optional<QString> QtPrompter::inputText(const QString &title, const QString &label, const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), titleOr(title), label, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompter::openFileName(const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(parentWindow(), title, folder, filter);
}

QStringList QtPrompter::openFileNames(const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileNames(parentWindow(), title, folder, filter);
}

QString QtPrompter::saveFileName(const QString &title, const QString &filter, const QString &defaultSuffix,
                                 const QString &folder)
{
    QFileDialog dialog(parentWindow(), title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> QtPrompter::chooseColor(const QColor &initial)
{
    const QColor color = QColorDialog::getColor(initial, parentWindow());
    if (!color.isValid())
        return std::nullopt;
    return color;
}

bool QtPrompter::setupPrinter()
{
    QPrintDialog dialog(&sharedPrinter(), parentWindow());
    return dialog.exec() == QDialog::Accepted;
}
