// The multi-row selection of a dataset, as a grid shows it.
#include "data/Dataset.h"

void Dataset::setSelection(const QList<Bookmark> &rows) {
    if (rows == m_selection)
        return;
    m_selection = rows;
    if (emitting())
        emit selectionChanged();
}

void Dataset::setSelectedRows(const QList<int> &rows) {
    QList<Bookmark> marks;
    for (int row : rows) {
        const Bookmark mark = bookmarkOf(row);
        if (mark.isValid() && !marks.contains(mark))
            marks << mark;
    }
    setSelection(marks);
}

void Dataset::clearSelection() {
    setSelection({});
}

int Dataset::setFieldOnRows(const QList<int> &rows, const QString &field, const QVariant &value) {
    QList<Bookmark> marks;
    for (int row : rows)
        marks << bookmarkOf(row);
    int saved = 0;
    disableControls();
    for (const Bookmark &mark : std::as_const(marks)) {
        if (!gotoBookmark(mark))
            continue;
        if (edit() && setValue(field, value) && post())
            ++saved;
        if (isEditing())
            cancel();
    }
    enableControls();
    return saved;
}
