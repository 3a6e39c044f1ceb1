#include "foundation/PexaSystem.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A registered object that writes its name into a log when deleted and may run an
// action from its destructor.
class Single : public Tr::AutoDelete {
public:
    Single(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    ~Single() override
    {
        log.push_back(name);
        if (onDelete)
            onDelete();
    }

    std::string name;
    std::vector<std::string>& log;
    std::function<void()> onDelete;
};

class PexaSystemTest : public ::testing::Test {
protected:
    void SetUp() override { Tr::PexaSystem::shutdown(); }
    void TearDown() override { Tr::PexaSystem::shutdown(); }

    Single* make(std::string const& name) { return new Single(name, log); }

    static int registered() { return Tr::PexaSystem::autoDels ? Tr::PexaSystem::autoDels->count : 0; }

    std::vector<std::string> log;
};

TEST_F(PexaSystemTest, ShutdownWithNothingRegisteredDoesNothing)
{
    EXPECT_FALSE(Tr::PexaSystem::hasAutoDeletes());
    Tr::PexaSystem::shutdown();
    EXPECT_FALSE(Tr::PexaSystem::hasAutoDeletes());
    EXPECT_FALSE(Tr::PexaSystem::isShuttingDown());
}

TEST_F(PexaSystemTest, ConstructionRegistersOnce)
{
    Single* a = make("A");
    Tr::PexaSystem::AddAutoDelete(a);
    EXPECT_EQ(registered(), 1);
    EXPECT_TRUE(Tr::PexaSystem::hasAutoDeletes());
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"A"}));
}

TEST_F(PexaSystemTest, ShutdownDeletesInRegistrationOrderOnce)
{
    make("A");
    make("B");
    make("C");
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(Tr::PexaSystem::isShuttingDown());
    EXPECT_FALSE(Tr::PexaSystem::hasAutoDeletes());
    EXPECT_EQ(Tr::PexaSystem::autoDels, nullptr);

    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(PexaSystemTest, ObjectDeletedByAnotherDuringShutdownIsDeletedOnce)
{
    Single* a = make("A");
    make("B");
    Single* c = make("C");
    a->onDelete = [c] { delete c; };
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"A", "C", "B"}));
}

TEST_F(PexaSystemTest, ObjectDeletedBeforeShutdownLeavesANullSlot)
{
    Single* a = make("A");
    make("B");
    delete a;
    EXPECT_EQ(registered(), 2);
    EXPECT_EQ(Tr::PexaSystem::autoDels->items[0], nullptr);

    Single* b = static_cast<Single*>(Tr::PexaSystem::autoDels->items[1]);
    delete b;
    EXPECT_TRUE(Tr::PexaSystem::hasAutoDeletes());
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B"}));
}

TEST_F(PexaSystemTest, ShutdownFromADestructorReturnsAtOnce)
{
    Single* a = make("A");
    make("B");
    bool shuttingDownInside = false;
    a->onDelete = [&] {
        shuttingDownInside = Tr::PexaSystem::isShuttingDown();
        Tr::PexaSystem::shutdown();
        log.push_back("nested shutdown returned");
    };
    Tr::PexaSystem::shutdown();
    EXPECT_TRUE(shuttingDownInside);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "nested shutdown returned", "B"}));
}

TEST_F(PexaSystemTest, ObjectCreatedDuringShutdownIsNotRecordedAndSurvives)
{
    Single* a = make("A");
    Single* late = nullptr;
    a->onDelete = [&] { late = make("late"); };
    Tr::PexaSystem::shutdown();
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"A"}));
    EXPECT_FALSE(Tr::PexaSystem::hasAutoDeletes());
    delete late;
    EXPECT_EQ(log, (std::vector<std::string>{"A", "late"}));
}

TEST_F(PexaSystemTest, RegistrationAfterShutdownStartsANewList)
{
    make("A");
    Tr::PexaSystem::shutdown();
    make("B");
    EXPECT_TRUE(Tr::PexaSystem::hasAutoDeletes());
    EXPECT_EQ(registered(), 1);
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B"}));
}

TEST_F(PexaSystemTest, RemoveAutoDeleteTakesTheSlotOut)
{
    Single* a = make("A");
    make("B");
    Tr::PexaSystem::RemoveAutoDelete(a);
    EXPECT_EQ(registered(), 1);
    Tr::PexaSystem::RemoveAutoDelete(a);
    EXPECT_EQ(registered(), 1);
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"B"}));
    delete a;
}

TEST_F(PexaSystemTest, RegistrationFromSeveralThreads)
{
    constexpr int threadCount = 8;
    constexpr int perThread = 250;
    std::mutex logLock;
    std::vector<std::string> threadLog;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                auto* object = new Single(std::to_string(t), threadLog);
                if (i % 5 == 0) { // some singles die early, leaving null slots; the lock guards the log
                    std::lock_guard<std::mutex> guard(logLock);
                    delete object;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(registered(), threadCount * perThread);
    EXPECT_EQ(threadLog.size(), size_t(threadCount * perThread / 5));
    Tr::PexaSystem::shutdown();
    EXPECT_EQ(threadLog.size(), size_t(threadCount * perThread));
}

} // namespace
