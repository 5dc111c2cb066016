#include "widgets/DatasetFieldBinder.h"

#include "data/TextRules.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

namespace {

// The earliest date a date field shows; it stands for NULL and is shown blank.
const QDate kNullDate(1900, 1, 1);

QVariant textOrNull(const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); }

} // namespace

DatasetFieldBinder::DatasetFieldBinder(Dataset *dataset, QObject *parent) : QObject(parent), m_dataset(dataset)
{
    if (!dataset)
        return;
    connect(dataset, &Dataset::currentRowChanged, this, &DatasetFieldBinder::reload);
    connect(dataset, &Dataset::stateChanged, this, &DatasetFieldBinder::reload);
    connect(dataset, &Dataset::resetDone, this, &DatasetFieldBinder::reload);
    connect(dataset, &Dataset::rowChanged, this, &DatasetFieldBinder::reload);
    connect(dataset, &Dataset::fieldChanged, this, [this] {
        if (!m_writing)
            reload();
    });
}

void DatasetFieldBinder::add(QWidget *widget, const QString &field)
{
    m_links.append({widget, field});
    load(m_links.last());
}

void DatasetFieldBinder::bind(QLineEdit *edit, const QString &field)
{
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString &text) { write(field, textOrNull(text)); });
    // Line edits hold the short text columns: longer input cannot be typed or pasted, so nothing is cut
    // unseen when it is saved.
    edit->setMaxLength(TextRules::kShortTextLength);
    add(edit, field);
}

void DatasetFieldBinder::bind(QDateTimeEdit *edit, const QString &field)
{
    edit->setMinimumDate(kNullDate);
    edit->setSpecialValueText(QStringLiteral(" "));
    if (qobject_cast<QDateEdit *>(edit))
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this, edit, field](const QDateTime &shown) {
        if (m_loading || !m_dataset)
            return;
        if (shown.date() <= kNullDate) {
            write(field, QVariant());
            return;
        }
        // A date picker changes the date only; the stored time of day stays.
        QDateTime value = shown;
        const QDateTime stored = m_dataset->value(field).toDateTime();
        if (qobject_cast<QDateEdit *>(edit))
            value = QDateTime(shown.date(), stored.isValid() ? stored.time() : QTime(0, 0));
        write(field, value);
    });
    add(edit, field);
}

void DatasetFieldBinder::bind(QPlainTextEdit *edit, const QString &field)
{
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, field] {
        if (!m_loading)
            write(field, textOrNull(edit->toPlainText()));
    });
    add(edit, field);
}

void DatasetFieldBinder::bind(QComboBox *combo, const QString &field)
{
    connect(combo, &QComboBox::currentTextChanged, this, [this, field](const QString &text) {
        if (!m_loading)
            write(field, textOrNull(text));
    });
    add(combo, field);
}

void DatasetFieldBinder::bind(QButtonGroup *group, QWidget *box, const QString &field)
{
    connect(group, &QButtonGroup::idToggled, this, [this, field](int id, bool checked) {
        if (checked && !m_loading)
            write(field, id);
    });
    m_links.append({box, field, group});
    load(m_links.last());
}

void DatasetFieldBinder::write(const QString &field, const QVariant &value)
{
    if (!m_dataset || !m_dataset->isEditing())
        return;
    QScopedValueRollback<bool> writing(m_writing, true);
    m_dataset->setValue(field, value);
}

void DatasetFieldBinder::reload()
{
    for (const Link &link : std::as_const(m_links))
        load(link);
}

void DatasetFieldBinder::load(const Link &link)
{
    if (!link.widget)
        return;
    QScopedValueRollback<bool> loading(m_loading, true);
    const bool editing = m_dataset && m_dataset->isEditing();
    const QVariant value = m_dataset ? m_dataset->value(link.field) : QVariant();
    const QString text = value.isNull() ? QString() : value.toString();
    if (link.group) {
        bool ok = false;
        const int id = value.isNull() ? -1 : value.toInt(&ok);
        QAbstractButton *button = ok ? link.group->button(id) : nullptr;
        if (button) {
            button->setChecked(true);
        } else if (QAbstractButton *checked = link.group->checkedButton()) {
            link.group->setExclusive(false);
            checked->setChecked(false);
            link.group->setExclusive(true);
        }
        for (QAbstractButton *each : link.group->buttons())
            each->setEnabled(editing);
    } else if (auto *edit = qobject_cast<QLineEdit *>(link.widget)) {
        if (edit->text() != text)
            edit->setText(text);
        edit->setReadOnly(!editing);
    } else if (auto *date = qobject_cast<QDateTimeEdit *>(link.widget)) {
        const QDateTime when = value.toDateTime();
        date->setDateTime(when.isValid() && !value.isNull() ? when : QDateTime(kNullDate, QTime(0, 0)));
        date->setReadOnly(!editing);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(link.widget)) {
        if (plain->toPlainText() != text)
            plain->setPlainText(text);
        plain->setReadOnly(!editing);
    } else if (auto *combo = qobject_cast<QComboBox *>(link.widget)) {
        if (combo->isEditable())
            combo->setEditText(text);
        else
            combo->setCurrentIndex(combo->findText(text));
        combo->setEnabled(editing);
    }
}
