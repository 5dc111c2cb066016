#include "platform/QtPrompter.h"

#include "platform/SharedPrinter.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

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

} // namespace

QWidget *QtPrompter::parentWindow() { return QApplication::activeWindow(); }

void QtPrompter::message(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(boxIcon(icon), titleOr(title), text, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool QtPrompter::askYesNo(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(boxIcon(icon), titleOr(title), text, QMessageBox::NoButton, parentWindow());
    QPushButton *yes = box.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
}

Prompter::Answer QtPrompter::askYesNoCancel(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::NoButton, parentWindow());
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
    QMessageBox box(QMessageBox::Information, titleOr(title), text, QMessageBox::NoButton, parentWindow());
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
