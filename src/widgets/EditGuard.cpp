#include "widgets/EditGuard.h"

#include "data/Dataset.h"
#include "platform/Prompter.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>

bool EditGuard::mayClose(Dataset &dataset, Prompter &prompter) {
    if (!dataset.isEditing())
        return true;
    switch (prompter.askYesNoCancel(QStringLiteral("Nemáte uloženou databázi. Chcete uložit?"), QString())) {
    case Prompter::Answer::Yes:
        return dataset.post();
    case Prompter::Answer::No:
        return dataset.cancel();
    case Prompter::Answer::Cancel:
        return false;
    }
    return false;
}

void EditGuard::installPostKeys(QWidget *panel, Dataset &dataset) {
    QPointer<Dataset> guarded(&dataset);
    const auto post = [guarded] {
        if (guarded && guarded->isEditing())
            guarded->post();
    };
    auto *save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), panel);
    save->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(save, &QShortcut::activated, panel, post);
    for (QLineEdit *edit : panel->findChildren<QLineEdit *>()) {
        // The line edit inside a date field is reached through the date field's own signal.
        if (!qobject_cast<QAbstractSpinBox *>(edit->parentWidget()))
            QObject::connect(edit, &QLineEdit::returnPressed, panel, post);
    }
    for (QAbstractSpinBox *box : panel->findChildren<QAbstractSpinBox *>())
        QObject::connect(box, &QAbstractSpinBox::editingFinished, panel, [box, post] {
            if (box->hasFocus())
                post();
        });
}
