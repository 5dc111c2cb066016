#include "graph/GraphObjectList.h"

#include "graph/GraphErrors.h"

TGraphObjectList::TGraphObjectList(std::function<void(TGraphObject *)> onDelete)
    : m_onDelete(std::move(onDelete))
{
}

TGraphObject *TGraphObjectList::Items(int index) const
{
    if (index < 0 || index >= m_items.size())
        throw EListError(index);
    return m_items.at(index);
}

int TGraphObjectList::IndexOf(const TGraphObject *object) const
{
    return int(m_items.indexOf(const_cast<TGraphObject *>(object)));
}

void TGraphObjectList::Delete(int index)
{
    TGraphObject *object = Items(index);
    if (m_onDelete)
        m_onDelete(object);
}

bool TGraphObjectList::Remove(TGraphObject *object)
{
    // Objects are usually removed from near the end (last added, last selected).
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (m_items.at(i) == object) {
            m_items.removeAt(i);
            return true;
        }
    }
    return false;
}

QList<TGraphObject *> TGraphObjectList::TakeAll()
{
    QList<TGraphObject *> items;
    items.swap(m_items);
    return items;
}
