#include "ListenerIterator.h"

#include "MapWindowModule.h"

#include <algorithm>

IteratorGeneric::~IteratorGeneric() = default;

GenericListIterator::GenericListIterator(const MapEventListenerList& list, bool backward)
    : m_list(list), m_items(list.Items()) {
    if (backward)
        std::reverse(m_items.begin(), m_items.end());
}

void GenericListIterator::skipDetached() {
    while (m_next < m_items.size() && !m_list.Contains(m_items[m_next]))
        ++m_next;
}

bool GenericListIterator::HasMore() {
    skipDetached();
    return m_next < m_items.size();
}

void* GenericListIterator::NextElement() {
    skipDetached();
    if (m_next >= m_items.size())
        return nullptr;
    return m_items[m_next++];
}

namespace MapEventListeners {

namespace {
// Stands in for the module's list before the module exists.
const MapEventListenerList& moduleList() {
    static const MapEventListenerList none;
    MapWindowModule* module = MapWindowModule::instance();
    return module ? module->Listeners() : none;
}
} // namespace

std::unique_ptr<Iterator<MapEventListener>> Forward() {
    return std::make_unique<GenericListForwardIterator>(moduleList());
}

std::unique_ptr<Iterator<MapEventListener>> Backward() {
    return std::make_unique<GenericListBackwardIterator>(moduleList());
}

} // namespace MapEventListeners
