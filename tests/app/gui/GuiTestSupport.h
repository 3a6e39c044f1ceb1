#pragma once
// Helpers of the shell's GUI tests, which run on the message thread of the
// test application (tests/support/GuiTestMain.cpp).

#include "app/BContentBase.h"
#include "app/BWindow.h"
#include "foundation/Exception.h"
#include "tests/support/DispatchLoop.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shelltest {

using guitest::pumpUntil;

// A folder of its own for a test, deleted with this object.
struct TempFolder
{
    TempFolder()
        : folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getNonexistentChildFile("dravik-shell-test", "", false))
    {
        folder.createDirectory();
    }
    ~TempFolder() { folder.deleteRecursively(); }

    juce::File folder;
};

// Makes the folder the working folder for the life of this object.
struct WorkingFolder
{
    explicit WorkingFolder(juce::File const& folder)
    {
        folder.setAsCurrentWorkingDirectory();
    }
    ~WorkingFolder() { previous.setAsCurrentWorkingDirectory(); }

    juce::File previous = juce::File::getCurrentWorkingDirectory();
};

// A test run in a temporary development tree, three folders below its top, so
// that a program outside a bundle takes its images from the tree's "resources".
class InDevelopmentTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::File deep = temp.folder.getChildFile("a/b/c");
        deep.createDirectory();
        inside = std::make_unique<WorkingFolder>(deep);
    }
    void TearDown() override { inside.reset(); }

    TempFolder temp;

private:
    std::unique_ptr<WorkingFolder> inside;
};

// Writes a plain PNG of the given size.
inline void writePng(juce::File const& file, int width, int height)
{
    file.getParentDirectory().createDirectory();
    juce::Image image(juce::Image::RGB, width, height, true);
    juce::FileOutputStream out(file);
    juce::PNGImageFormat().writeImageToStream(image, out);
}

// A content that records the calls the window makes, in order, into a log that
// outlives it (the window deletes its content).
class RecordingContent : public BContentBase
{
public:
    using Log = std::vector<std::string>;

    explicit RecordingContent(std::shared_ptr<Log> calls) : log(std::move(calls)) {}

    void createComponents() override
    {
        log->push_back("createComponents");
        BContentBase::createComponents();
    }
    bool init(juce::String const& commandLine) override
    {
        log->push_back("init:" + commandLine.toStdString());
        if (!initError.empty())
            throw Tr::Exception(initError.c_str());
        return initResult;
    }
    void start(bool started) override
    {
        log->push_back("start");
        BContentBase::start(started);
    }
    bool canQuit() override
    {
        log->push_back("canQuit");
        return canQuitResult;
    }
    void close() override { log->push_back("close"); }
    void enableButtons() override { log->push_back("enableButtons"); }

    bool initResult = true;
    std::string initError; // thrown as a Tr::Exception by init when not empty
    bool canQuitResult = true;

private:
    std::shared_ptr<Log> log;
};

// A window whose content the test makes.
class TestWindow : public BWindow
{
public:
    explicit TestWindow(std::function<BContentBase*()> makeContent)
        : BWindow("Shell test window"), make(std::move(makeContent))
    {
    }

    BContentBase* createContentPanel() override { return make(); }

private:
    std::function<BContentBase*()> make;
};

// A window whose content is a RecordingContent logging into log, set up by
// configure before the window uses it.
inline TestWindow* makeRecordingWindow(std::shared_ptr<RecordingContent::Log> log,
                                       std::function<void(RecordingContent&)> configure)
{
    return new TestWindow([log, configure] {
        auto* content = new RecordingContent(log);
        configure(*content);
        return content;
    });
}

inline bool contains(RecordingContent::Log const& log, std::string const& call)
{
    return std::find(log.begin(), log.end(), call) != log.end();
}

} // namespace shelltest
