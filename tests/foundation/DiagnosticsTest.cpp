#include "foundation/Diagnostics.h"

#include "foundation/BThread.h"
#include "foundation/MilliTime.h"
#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

using namespace Tr;

namespace {

std::vector<std::string> lines;
std::vector<std::string> errorHookTexts;

void captureLine(char* line)
{
    lines.emplace_back(line);
}

void captureError(char const* fmt, va_list args)
{
    char text[64];
    std::vsnprintf(text, sizeof text, fmt, args);
    errorHookTexts.emplace_back(text);
}

// The text after the head "time-thread: ", or "?" when the line does not have that form.
std::string textOf(std::string const& line)
{
    std::size_t colon = line.find(": ");
    bool wellFormed = colon != std::string::npos && line.back() == '\n'
                      && std::regex_match(line.substr(0, colon), std::regex("-?[0-9]+-(0x[0-9a-f]+|\\(nil\\))"));
    return wellFormed ? line.substr(colon + 2, line.size() - colon - 3) : "?";
}

// Open descriptors of this process that point at the file.
int openDescriptorsOf(std::string const& path)
{
    int count = 0;
    for (auto const& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        if (std::filesystem::read_symlink(entry.path(), ignored) == path)
            ++count;
    }
    return count;
}

class Diagnostics : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lines.clear();
        errorHookTexts.clear();
        EH_set_output_func(captureLine);
    }
    void TearDown() override
    {
        EH_set_output_func(nullptr);
        EH_set_error_func(nullptr);
        EH_set_logStream(nullptr);
        setMilliTimeOffset(0);
    }
};

} // namespace

TEST_F(Diagnostics, LineHoldsClockThreadAndThePrefixOfTheErrorTypeOnly)
{
    unsigned int before = getMilliTime();
    EH_out(EH_ERROR, "x=%d", 5);
    unsigned int after = getMilliTime();
    ASSERT_EQ(1u, lines.size());
    char head[32];
    std::snprintf(head, sizeof head, "-%p: ", BThread::getCurrentThreadID());
    std::size_t dash = lines[0].find(head);
    ASSERT_NE(std::string::npos, dash) << lines[0];
    unsigned long stamp = std::stoul(lines[0].substr(0, dash));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ("ERROR: x=5", textOf(lines[0]));

    for (int type : {0, 1, 3, 9, -1})
        EH_out(static_cast<EH_OutputType>(type), "t%d", type);
    EH_output(EH_INFO, "100% %s");
    EH_out(EH_WARNING, "n=%d", 0);
    EH_out(EH_WARNING, "p=%p", nullptr);
    std::vector<std::string> texts;
    for (std::size_t i = 1; i < lines.size(); ++i)
        texts.push_back(textOf(lines[i]));
    EXPECT_EQ((std::vector<std::string>{"t0", "t1", "t3", "t9", "t-1", "100% %s", "n=0", "p=(nil)"}), texts);

    // A minute before the 32-bit clock wraps, however long this process has run: the stamp is
    // the clock's value as a signed 32-bit number.
    setMilliTimeOffset(0xFFFF0000u - getMilliTime());
    before = getMilliTime();
    EH_out(EH_INFO, "wrapped");
    after = getMilliTime();
    EXPECT_EQ('-', lines.back()[0]);
    long wrapped = std::stol(lines.back());
    EXPECT_GE(wrapped, static_cast<int>(before));
    EXPECT_LE(wrapped, static_cast<int>(after));
    EH_out(EH_INFO, BString("from a string %d"), 7);
    EXPECT_EQ("from a string 7", textOf(lines.back()));
    bassert(0);
}

TEST_F(Diagnostics, TextsUpTo32767BytesAreWrittenLongerOnesNot)
{
    EH_set_error_func(captureError);
    for (int length : {1023, 1024, 32767, 32768, 40000}) {
        lines.clear();
        std::string text(static_cast<size_t>(length), 'x');
        EH_out(EH_ERROR, "%s", text.c_str());
        if (length < 32768) {
            ASSERT_EQ(1u, lines.size()) << length;
            EXPECT_EQ("ERROR: " + text, textOf(lines[0]));
        } else {
            EXPECT_TRUE(lines.empty()) << length;
        }
    }
    EXPECT_EQ(5u, errorHookTexts.size());
    EXPECT_EQ(std::string(63, 'x'), errorHookTexts.back());
}

TEST_F(Diagnostics, EachAttemptAndTheErrorHookFormatTheirOwnArguments)
{
    EH_set_error_func(captureError);
    EH_out(EH_ERROR, "%s=%d", "key", 42);
    EH_out(EH_INFO, "%s", "no hook");
    EXPECT_EQ(std::vector<std::string>{"key=42"}, errorHookTexts);
    EXPECT_EQ("ERROR: key=42", textOf(lines[0]));

    auto attempt = [](int size, char const* fmt, ...) {
        va_list args;
        va_start(args, fmt);
        int written = EH_out_impl(EH_INFO, fmt, args, size);
        va_end(args);
        return written;
    };
    std::string text(1024, 'y');
    EXPECT_EQ(0, attempt(1024, "%s", text.c_str()));
    EXPECT_EQ(1, attempt(2048, "%s", text.c_str()));
    EXPECT_EQ(text, textOf(lines.back()));
}

TEST_F(Diagnostics, WithoutAnOutputFunctionLinesGoToStandardError)
{
    FileTest::TempFolder folder;
    std::string errors = folder / "stderr";
    std::string log = folder / "log";
    std::fflush(stderr);
    int saved = dup(2);
    int file = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(file, 2);
    close(file);
    EH_set_logfilename(log.c_str());
    EH_out(EH_INFO, "to the log only");
    EH_set_output_func(nullptr);
    EH_out(EH_INFO, "to standard error");
    dup2(saved, 2);
    close(saved);

    std::string written = FileTest::readFile(errors);
    EXPECT_EQ(std::string::npos, written.find("to the log only"));
    EXPECT_EQ("to standard error", textOf(written));
    std::string logged = FileTest::readFile(log);
    EXPECT_NE(std::string::npos, logged.find(": to the log only\n"));
    EXPECT_NE(std::string::npos, logged.find(": to standard error\n"));
}

TEST_F(Diagnostics, LogFileIsOpenedSwitchedAndClosed)
{
    FileTest::TempFolder folder;
    std::string first = folder / "first.log";
    std::string second = folder / "second.log";
    FileTest::writeFile(first, "old contents\n");
    EH_set_logfilename(first.c_str());
    EH_out(EH_INFO, "one");
    EXPECT_EQ(1, openDescriptorsOf(first));
    EH_set_logfilename(second.c_str());
    EXPECT_EQ(0, openDescriptorsOf(first));
    EH_out(EH_INFO, "two");
    EH_set_logfilename((folder / "missing/third.log").c_str());
    EXPECT_EQ(0, openDescriptorsOf(second));
    EH_out(EH_INFO, "three");

    EXPECT_EQ("one", textOf(FileTest::readFile(first)));
    EXPECT_EQ("two", textOf(FileTest::readFile(second)));

    FILE* callers = std::fopen((folder / "callers.log").c_str(), "w");
    EH_set_logStream(callers);
    EH_out(EH_INFO, "four");
    EH_set_logStream(nullptr);
    EXPECT_GE(std::fputs("still open\n", callers), 0);
    std::fclose(callers);
    EXPECT_NE(std::string::npos, FileTest::readFile(folder / "callers.log").find(": four\nstill open\n"));
}

TEST_F(Diagnostics, ThreadsWriteWhileTheLogFileChanges)
{
    FileTest::TempFolder folder;
    EH_set_output_func([](char*) {});
    std::vector<std::thread> writers;
    for (int i = 0; i < 3; ++i)
        writers.emplace_back([] {
            for (int k = 0; k < 300; ++k)
                EH_out(EH_ERROR, "line %d", k);
        });
    for (int k = 0; k < 50; ++k)
        EH_set_logfilename((folder / ("log" + std::to_string(k % 2))).c_str());
    for (auto& writer : writers)
        writer.join();
    EH_set_logStream(nullptr);
    EXPECT_EQ(0, openDescriptorsOf(folder / "log0") + openDescriptorsOf(folder / "log1"));
}
