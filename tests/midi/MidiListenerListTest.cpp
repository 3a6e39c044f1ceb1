#include "midi/MidiListenerList.h"

#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

using miditest::Gate;

namespace {

struct Probe {
    std::string name;
    std::function<void()> action;
};

using Probes = Tr::MidiListenerList<Probe>;

} // namespace

TEST(MidiListenerList, EachRegisteredListenerIsCalledOnceInEitherOrder)
{
    Probes list;
    Probe a{"a", {}};
    Probe b{"b", {}};
    Probe c{"c", {}};
    for (Probe* probe : {&a, &b, &a, &c})
        list.add(probe);
    // b, when called, removes c: first to last, c is not called in that walk.
    b.action = [&] { list.remove(&c); };
    for (bool lastFirst : {false, true}) {
        std::string order;
        list.forEach(lastFirst, [&](Probe* probe) {
            order += probe->name;
            if (probe->action)
                probe->action();
        });
        EXPECT_EQ(lastFirst ? "cba" : "ab", order);
        list.add(&c);
    }
}

TEST(MidiListenerList, ARemovalWaitsForACallOnAnotherThread)
{
    Probes list;
    Gate entered;
    Gate release;
    Probe blocking{"blocking", [&] {
                       entered.open();
                       release.waitOpen();
                   }};
    list.add(&blocking);
    std::thread caller([&] { list.forEach(false, [](Probe* probe) { probe->action(); }); });
    entered.waitOpen();
    auto removal = std::async(std::launch::async, [&] { list.remove(&blocking); });
    EXPECT_EQ(std::future_status::timeout, removal.wait_for(std::chrono::milliseconds(200)));
    release.open();
    removal.get();
    caller.join();
}

TEST(MidiListenerList, AListenerThatThrowsCanBeRemovedAtOnce)
{
    Probes list;
    Probe throwing{"throwing", [] { throw std::runtime_error("listener"); }};
    list.add(&throwing);
    EXPECT_THROW(list.forEach(false, [](Probe* probe) { probe->action(); }), std::runtime_error);
    std::thread([&] { list.remove(&throwing); }).join();
}
