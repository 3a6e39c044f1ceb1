#include "GuiTestSupport.h"

#include "app/JuceUtils.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using shelltest::pumpUntil;

class RecordingRunnable : public Runnable
{
public:
    explicit RecordingRunnable(std::shared_ptr<std::vector<int>> runs) : values(std::move(runs)) {}

    void run(void* data, int value) override
    {
        EXPECT_TRUE(juce::MessageManager::existsAndIsCurrentThread());
        lastData = data;
        values->push_back(value);
    }

    void* lastData = nullptr;

private:
    std::shared_ptr<std::vector<int>> values;
};

TEST(InvokeLater, HundredPostsFromAnotherThreadRunOnceEachInOrder)
{
    auto runs = std::make_shared<std::vector<int>>();
    RecordingRunnable target(runs);
    std::thread poster([&target] {
        for (int i = 0; i < 100; ++i)
            JuceUtils::invokeLater(&target, nullptr, i);
    });
    poster.join();
    ASSERT_TRUE(pumpUntil([&] { return runs->size() >= 100; }));
    // Anything posted twice would arrive by now as well.
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    std::vector<int> expected(100);
    for (int i = 0; i < 100; ++i)
        expected[static_cast<size_t>(i)] = i;
    EXPECT_EQ(expected, *runs);
}

TEST(InvokeLater, PassesDataAndValueAndDefaultsToNullAndZero)
{
    auto runs = std::make_shared<std::vector<int>>();
    RecordingRunnable target(runs);
    int payload = 0;
    JuceUtils::invokeLater(&target, &payload, 42);
    ASSERT_TRUE(pumpUntil([&] { return runs->size() == 1; }));
    EXPECT_EQ(&payload, target.lastData);
    EXPECT_EQ(42, runs->back());

    JuceUtils::invokeLater(&target);
    ASSERT_TRUE(pumpUntil([&] { return runs->size() == 2; }));
    EXPECT_EQ(nullptr, target.lastData);
    EXPECT_EQ(0, runs->back());
}

TEST(InvokeLater, PostsToATargetDeletedBeforeTheyRunAreCancelled)
{
    auto runs = std::make_shared<std::vector<int>>();
    auto survivorRuns = std::make_shared<std::vector<int>>();
    auto* doomed = new RecordingRunnable(runs);
    RecordingRunnable survivor(survivorRuns);
    std::thread poster([doomed] {
        for (int i = 0; i < 10; ++i)
            JuceUtils::invokeLater(doomed, nullptr, i);
    });
    poster.join();
    JuceUtils::invokeLater(&survivor, nullptr, 7);
    delete doomed;
    ASSERT_TRUE(pumpUntil([&] { return !survivorRuns->empty(); }));
    EXPECT_TRUE(runs->empty());
}

TEST(InvokeLater, UpdaterStartRunsTheGivenCall)
{
    auto runs = std::make_shared<std::vector<int>>();
    RecordingRunnable target(runs);
    (new JuceUtilsInternalUpdater())->start(&target, nullptr, 5);
    ASSERT_TRUE(pumpUntil([&] { return runs->size() == 1; }));
    EXPECT_EQ(5, runs->front());
}

} // namespace
