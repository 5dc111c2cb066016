#pragma once

#include "data/Dataset.h"

#include <QList>
#include <QObject>
#include <QButtonGroup>
#include <QPointer>
#include <QString>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Binds edit fields of a window to fields of a Dataset's current row, as data-aware edit boxes do.
//
//     auto *binder = new DatasetFieldBinder(&dm.Trida_Query(), this);
//     binder->bind(skolaEdit, "skola");
//     binder->bind(datumEdit, "datum_zapisu"); // a QDateEdit shows "dd.MM.yyyy"
//
// The fields show the current row (or the edit buffer while inserting or editing) and are refreshed on
// every move, state change, reset and field change of the dataset. They accept input only while the
// dataset inserts or edits; what the user types goes straight into the edit buffer. An empty text is
// stored as NULL.
class DatasetFieldBinder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatasetFieldBinder)
public:
    explicit DatasetFieldBinder(Dataset *dataset, QObject *parent = nullptr);

    void bind(QLineEdit *edit, const QString &field);
    void bind(QDateTimeEdit *edit, const QString &field);
    void bind(QPlainTextEdit *edit, const QString &field);
    // The current text of the combo box (an editable one or a fixed list).
    void bind(QComboBox *combo, const QString &field);
    // Radio buttons of a group, each with its value as the group's id; no button is checked for a value
    // that none of them has (NULL included).
    void bind(QButtonGroup *group, QWidget *box, const QString &field);

    Dataset *dataset() const { return m_dataset; }
    // Shows the dataset's values again and sets the fields' read-only state.
    void reload();

private:
    struct Link {
        QPointer<QWidget> widget;
        QString field;
        QPointer<QButtonGroup> group;
    };
    void add(QWidget *widget, const QString &field);
    void write(const QString &field, const QVariant &value);
    void load(const Link &link);

    QPointer<Dataset> m_dataset;
    QList<Link> m_links;
    bool m_loading = false;
    bool m_writing = false;
};
