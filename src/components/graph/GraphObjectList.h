#pragma once

#include <QList>

#include <functional>

class TGraphObject;

// Ordered list of graph objects. Index access is checked ("Index out of range (n)");
// deleting by index is handed to the owner (the canvas destroys or deselects).
class TGraphObjectList final {
public:
    Q_DISABLE_COPY_MOVE(TGraphObjectList)
    explicit TGraphObjectList(std::function<void(TGraphObject *)> onDelete);

    int Count() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.isEmpty(); }
    TGraphObject *Items(int index) const; // throws EListError
    TGraphObject *operator[](int index) const { return Items(index); }
    int IndexOf(const TGraphObject *object) const;
    bool Contains(const TGraphObject *object) const { return IndexOf(object) >= 0; }
    TGraphObject *First() const { return m_items.isEmpty() ? nullptr : m_items.first(); }
    void Delete(int index); // throws EListError
    const QList<TGraphObject *> &ToList() const { return m_items; }
    QList<TGraphObject *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<TGraphObject *>::const_iterator end() const { return m_items.cend(); }

private:
    friend class GraphDocument;
    friend class GraphReader;
    void Append(TGraphObject *object) { m_items.append(object); }
    void Prepend(TGraphObject *object) { m_items.prepend(object); }
    bool Remove(TGraphObject *object);
    void Reserve(qsizetype size) { m_items.reserve(size); }
    QList<TGraphObject *> TakeAll();

    QList<TGraphObject *> m_items;
    std::function<void(TGraphObject *)> m_onDelete;
};
