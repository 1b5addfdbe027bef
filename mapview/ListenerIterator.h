#pragma once

#include "MapEvents.h"

#include <cstddef>
#include <memory>
#include <vector>

// Walks a collection one element at a time; the caller owns the iterator.
class IteratorGeneric {
public:
    virtual ~IteratorGeneric();
    virtual bool HasMore() = 0;
    // The next element; none when there is no more.
    virtual void* NextElement() = 0;
};

template <class T> class Iterator : public IteratorGeneric {
public:
    T* Next() { return static_cast<T*>(NextElement()); }
};

// Iterators over a listener list. They walk the list as it was when they were
// made, but skip every listener that has been detached since, so that a
// listener may detach itself or others while the walk goes on (a detached
// listener may already be destroyed). The list must outlive the iterator.
class GenericListIterator : public Iterator<MapEventListener> {
public:
    bool HasMore() override;
    void* NextElement() override;

protected:
    GenericListIterator(const MapEventListenerList& list, bool backward);

private:
    void skipDetached();

    const MapEventListenerList& m_list;
    std::vector<MapEventListener*> m_items;
    std::size_t m_next = 0;
};

// Registration order.
class GenericListForwardIterator : public GenericListIterator {
public:
    explicit GenericListForwardIterator(const MapEventListenerList& list) : GenericListIterator(list, false) {}
};

// Last registered first.
class GenericListBackwardIterator : public GenericListIterator {
public:
    explicit GenericListBackwardIterator(const MapEventListenerList& list) : GenericListIterator(list, true) {}
};

// Iterators over the listeners of the map window module; empty without it.
namespace MapEventListeners {
std::unique_ptr<Iterator<MapEventListener>> Forward();
std::unique_ptr<Iterator<MapEventListener>> Backward();
} // namespace MapEventListeners
