#include "foundation/BString.h"

#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using Tr::BString;

TEST(BStringTextFile, ReadsEveryByteOrderMark)
{
    FileTest::TempFolder folder;
    std::string path = folder / "text";
    struct Case { std::string bytes; char const* text; };
    Case const cases[] = {
        {std::string("\xFF\xFE\x41\x00\x42\x00", 6), "AB"},
        {std::string("\xFE\xFF\x00\x41\x00\x42", 6), "AB"},
        {std::string("\xFF\xFE\x00\x00\x41\x00\x00\x00", 8), "A"},
        {std::string("\x00\x00\xFE\xFF\x00\x00\x00\x41", 8), "A"},
        {"\xEF\xBB\xBF" "A", "A"},
        {"AB", "AB"},
        {std::string("\xFE\xFF\xD8\x3D\xDE\x00\x00\x41", 8), "\xF0\x9F\x98\x80" "A"},
        {std::string("\xFF\xFE\x41\x00\x00\x00\x42\x00", 8), "A"},  // ends at a zero unit
        {std::string("A\0B", 3), "A"},
        {std::string("\xFF\xFE\x41", 3), "A"},                     // a half unit at the end
        {"", ""},
    };
    for (auto const& c : cases) {
        FileTest::writeFile(path, c.bytes);
        BString s("old");
        EXPECT_EQ(1, s.readFromFile(path.c_str()));
        EXPECT_STREQ(c.text, s.c_str());
    }
}

TEST(BStringTextFile, AFailedReadLeavesTheText)
{
    FileTest::TempFolder folder;
    BString s("old");
    EXPECT_EQ(0, s.readFromFile((folder / "missing").c_str()));
    EXPECT_EQ(0, s.readFromFile(folder.path().c_str()));
    EXPECT_STREQ("old", s.c_str());

    std::string locked = folder / "locked";
    FileTest::writeFile(locked, "new");
    chmod(locked.c_str(), 0);
    EXPECT_EQ(0, FileTest::runUnprivileged([&] {
        BString t("old");
        return t.readFromFile(locked.c_str()) == 0 && t == "old" ? 0 : 1;
    }));
}

TEST(BStringTextFile, WritesUtf8WithOrWithoutTheMark)
{
    FileTest::TempFolder folder;
    std::string path = folder / "out.txt";
    BString text("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(1, text.writeToFileUTF8(path.c_str(), 1));
    EXPECT_EQ("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", FileTest::readFile(path));
    BString back;
    EXPECT_EQ(1, back.readFromFile(path.c_str()));
    EXPECT_EQ(text, back);

    EXPECT_EQ(1, text.writeToFileUTF8(path.c_str(), 0));
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", FileTest::readFile(path));
    EXPECT_EQ(1, BString().writeToFileUTF8(path.c_str(), 0));
    EXPECT_EQ("", FileTest::readFile(path));
    EXPECT_EQ(0, text.writeToFileUTF8((folder / "missing/out.txt").c_str(), 1));
}
