#include "foundation/BRWLock.h"

#include "tests/foundation/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

using TrTest::waitUntil;

namespace {

// Runs enter on a thread of its own, which then holds the lock until released.
class Holder {
public:
    Holder(Tr::BRWLock& lock, int write)
        : thread([this, &lock, write] {
              lock.Enter(write);
              inside = true;
              waitUntil([this] { return release.load(); }, 10000);
              lock.Leave(write);
          })
    {
    }
    ~Holder() { leave(); }

    void leave()
    {
        release = true;
        if (thread.joinable())
            thread.join();
    }

    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};

private:
    std::thread thread;
};

} // namespace

TEST(RWLock, ReadersShareTheLock)
{
    Tr::BRWLock lock;
    Holder first(lock, 0);
    ASSERT_TRUE(waitUntil([&] { return first.inside.load(); }));
    Holder second(lock, 0);
    EXPECT_TRUE(waitUntil([&] { return second.inside.load(); }));
    EXPECT_EQ(2, lock.getReaderCount());
}

TEST(RWLock, WriterWaitsForReadersAndKeepsNewReadersOutOnlyWhenNoneIsInside)
{
    Tr::BRWLock lock;
    Holder reader(lock, 0);
    ASSERT_TRUE(waitUntil([&] { return reader.inside.load(); }));
    Holder writer(lock, 1);
    EXPECT_FALSE(waitUntil([&] { return writer.inside.load(); }, 50));
    // A reader is inside, so a new one still gets in while the writer waits.
    Holder lateReader(lock, 0);
    EXPECT_TRUE(waitUntil([&] { return lateReader.inside.load(); }));
    reader.leave();
    EXPECT_FALSE(waitUntil([&] { return writer.inside.load(); }, 50));
    lateReader.leave();
    EXPECT_TRUE(waitUntil([&] { return writer.inside.load(); }));
    EXPECT_EQ(1, lock.getWriterCount());
    Holder blockedReader(lock, 0);
    EXPECT_FALSE(waitUntil([&] { return blockedReader.inside.load(); }, 50));
    writer.leave();
    EXPECT_TRUE(waitUntil([&] { return blockedReader.inside.load(); }));
}

TEST(RWLock, WriterReentersEitherSide)
{
    Tr::BRWLock lock;
    lock.Enter(1);
    lock.Enter(1);
    lock.Enter(0);
    EXPECT_EQ(2, lock.getWriterCount());
    EXPECT_EQ(1, lock.getReaderCount());
    lock.Leave(0);
    lock.Leave(1);
    Holder other(lock, 0);
    EXPECT_FALSE(waitUntil([&] { return other.inside.load(); }, 50));
    lock.Leave(1);
    EXPECT_TRUE(waitUntil([&] { return other.inside.load(); }));
}

TEST(RWLock, ReaderCountHelpersAndReset)
{
    Tr::BRWLock lock;
    lock.incReaderCount();
    lock.incReaderCount();
    lock.decReaderCount();
    EXPECT_EQ(1, lock.getReaderCount());
    lock.Reset();
    EXPECT_EQ(0, lock.getReaderCount());
    EXPECT_EQ(0, lock.getWriterCount());
    lock.Enter(1);
    EXPECT_EQ(1, lock.getWriterCount());
    lock.Leave(1);
}

TEST(RWLock, AWriterIsNeverInsideTogetherWithAnyoneElse)
{
    Tr::BRWLock lock;
    std::atomic<int> readersInside{0};
    std::atomic<int> writersInside{0};
    std::atomic<int> violations{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            std::minstd_rand random(t);
            for (int i = 0; i < 3000; ++i) {
                int write = random() % 4 == 0;
                lock.Enter(write);
                std::atomic<int>& mine = write ? writersInside : readersInside;
                ++mine;
                if (writersInside > 1 || (writersInside > 0 && readersInside > 0))
                    ++violations;
                --mine;
                lock.Leave(write);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(0, violations.load());
    EXPECT_EQ(0, lock.getReaderCount());
    EXPECT_EQ(0, lock.getWriterCount());
}
