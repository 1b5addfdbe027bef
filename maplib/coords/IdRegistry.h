#pragma once

#include <cstdint>
#include <unordered_map>

namespace MapCoords {

// Hands out 32-bit ids for objects that cross the library's C interface in
// the 32-bit parameter of a Coord: map handles, map windows and drawing
// surfaces. 0 is the null handle and never handed out. Ids count upwards and
// are not reused while the counter has not wrapped, so a stale id from a
// closed object finds nothing instead of a newer object. The registry does
// not own what it holds; an object is added when it comes to life and removed
// before it goes.
//
// Like the rest of the library the registry is used from one thread.
template <typename T> class IdRegistry {
public:
    // The new object's id.
    uint32_t add(T* object) {
        do {
            ++m_last;
        } while (m_last == 0 || m_objects.count(m_last) != 0);
        m_objects.emplace(m_last, object);
        return m_last;
    }

    // False when the id was not registered.
    bool remove(uint32_t id) { return m_objects.erase(id) != 0; }

    // The object with this id, or null (also for id 0).
    T* find(uint32_t id) const {
        const auto it = m_objects.find(id);
        return it == m_objects.end() ? nullptr : it->second;
    }

    size_t size() const { return m_objects.size(); }

private:
    std::unordered_map<uint32_t, T*> m_objects;
    uint32_t m_last = 0;
};

} // namespace MapCoords
