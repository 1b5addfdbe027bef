#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <typeindex>
#include <vector>

namespace NotifyEvent {

// A list of listeners, each a bound member function taking one pointer
// argument, called in the order they were added. While the suspension count is
// above 0, dispatch does nothing.
//
// A listener may remove itself or others while being called: every entry is
// checked against the live list just before its call, so a removed listener
// is never called afterwards. Listeners added during a dispatch are called
// from the next dispatch on.
template <class Arg>
class Dispatcher {
public:
    template <class T>
    void add(void (T::*method)(Arg*), T* object) {
        m_entries.push_back(makeEntry(method, object));
    }

    // Removes the first entry with the same method and object; false if there is none.
    template <class T>
    bool remove(void (T::*method)(Arg*), T* object) {
        const Entry probe = makeEntry(method, object);
        auto it = std::find(m_entries.begin(), m_entries.end(), probe);
        if (it == m_entries.end())
            return false;
        m_entries.erase(it);
        return true;
    }

    void dispatch(Arg* argument) const {
        if (m_suspension != 0)
            return;
        const std::vector<Entry> snapshot = m_entries;
        for (const Entry& entry : snapshot) {
            if (std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end())
                continue;
            entry.call(entry, argument);
        }
    }

    void suspend() { ++m_suspension; }
    void resume() {
        if (m_suspension > 0)
            --m_suspension;
    }
    int suspensionCount() const { return m_suspension; }

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

private:
    struct Any {};
    using AnyMethod = void (Any::*)(Arg*);
    // Member function pointers of one ABI all have the same size, whatever the class.
    using MethodBytes = std::array<unsigned char, sizeof(AnyMethod)>;

    struct Entry {
        void* object;
        std::type_index type;
        MethodBytes method;
        void (*call)(const Entry&, Arg*);

        bool operator==(const Entry& other) const {
            return object == other.object && type == other.type && method == other.method;
        }
    };

    template <class T>
    static Entry makeEntry(void (T::*method)(Arg*), T* object) {
        using Method = void (T::*)(Arg*);
        static_assert(sizeof(Method) == sizeof(MethodBytes));
        Entry entry{object, std::type_index(typeid(T)), {}, &invoke<T>};
        std::memcpy(entry.method.data(), &method, sizeof(Method));
        return entry;
    }

    template <class T>
    static void invoke(const Entry& entry, Arg* argument) {
        using Method = void (T::*)(Arg*);
        Method method;
        std::memcpy(&method, entry.method.data(), sizeof(Method));
        (static_cast<T*>(entry.object)->*method)(argument);
    }

    std::vector<Entry> m_entries;
    int m_suspension = 0;
};

} // namespace NotifyEvent
