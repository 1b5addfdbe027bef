#include "NotifyEvent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Log {
    std::vector<std::string> calls;
};

struct Listener {
    std::string name;
    Log* log;
    NotifyEvent::Dispatcher<int>* dispatcher = nullptr;
    Listener* victim = nullptr;

    void onEvent(int* value) { log->calls.push_back(name + ":" + std::to_string(*value)); }
    void onOther(int* value) { log->calls.push_back(name + "-other:" + std::to_string(*value)); }
    void removeVictim(int*) {
        log->calls.push_back(name + " removes");
        dispatcher->remove(&Listener::onEvent, victim);
    }
    void removeSelf(int*) {
        log->calls.push_back(name + " leaves");
        dispatcher->remove(&Listener::removeSelf, this);
    }
};

struct Derived : Listener {
    void onDerived(int* value) { log->calls.push_back(name + "-derived:" + std::to_string(*value)); }
};

} // namespace

TEST(NotifyEventDispatcher, CallsInOrderAndRemovesFirstMatchingPairOnly) {
    Log log;
    NotifyEvent::Dispatcher<int> d;
    Listener a{"a", &log}, b{"b", &log};
    d.add(&Listener::onEvent, &a);
    d.add(&Listener::onEvent, &b);
    d.add(&Listener::onOther, &a);
    d.add(&Listener::onEvent, &a); // the same pair twice
    int v = 7;
    d.dispatch(&v);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"a:7", "b:7", "a-other:7", "a:7"}));

    // Same object, other method: not a match. Same method, other object: not a match.
    Listener c{"c", &log};
    EXPECT_FALSE(d.remove(&Listener::onEvent, &c));
    EXPECT_TRUE(d.remove(&Listener::onEvent, &a));
    log.calls.clear();
    d.dispatch(&v);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"b:7", "a-other:7", "a:7"}));
    EXPECT_TRUE(d.remove(&Listener::onEvent, &a));
    EXPECT_FALSE(d.remove(&Listener::onEvent, &a));
    EXPECT_TRUE(d.remove(&Listener::onOther, &a));
    EXPECT_EQ(d.size(), 1u);
}

TEST(NotifyEventDispatcher, SuspensionCountsNestedCalls) {
    Log log;
    NotifyEvent::Dispatcher<int> d;
    Listener a{"a", &log};
    d.add(&Listener::onEvent, &a);
    int v = 1;
    EXPECT_EQ(d.suspensionCount(), 0);
    d.suspend();
    d.suspend();
    d.dispatch(&v);
    d.resume();
    d.dispatch(&v);
    EXPECT_TRUE(log.calls.empty());
    d.resume();
    d.dispatch(&v);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"a:1"}));
    d.resume(); // never goes below zero
    EXPECT_EQ(d.suspensionCount(), 0);
}

TEST(NotifyEventDispatcher, ListenersRemovedDuringDispatchAreNotCalled) {
    Log log;
    NotifyEvent::Dispatcher<int> d;
    Listener killer{"k", &log, &d};
    Listener victim{"v", &log};
    Listener quitter{"q", &log, &d};
    killer.victim = &victim;
    d.add(&Listener::removeVictim, &killer);
    d.add(&Listener::onEvent, &victim);
    d.add(&Listener::removeSelf, &quitter);
    int v = 3;
    d.dispatch(&v);
    d.dispatch(&v);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"k removes", "q leaves", "k removes"}));
}

TEST(NotifyEventDispatcher, DistinguishesClassesAndInheritedMethods) {
    Log log;
    NotifyEvent::Dispatcher<int> d;
    Derived x;
    x.name = "x";
    x.log = &log;
    d.add(&Derived::onDerived, &x);
    d.add<Listener>(&Listener::onEvent, &x);
    int v = 2;
    d.dispatch(&v);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"x-derived:2", "x:2"}));
    EXPECT_FALSE(d.remove<Derived>(&Derived::onEvent, &x)); // registered through the base
    EXPECT_TRUE(d.remove<Listener>(&Listener::onEvent, &x));
}
