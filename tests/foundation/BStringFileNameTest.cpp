#include "foundation/BString.h"

#include <gtest/gtest.h>

using Tr::BString;

namespace {

struct NameCase
{
    char const* path;
    BString (BString::*helper)() const;
    char const* result;
};

} // namespace

TEST(BStringFileName, Helpers)
{
    NameCase const cases[] = {
        {"/a/b.syx", &BString::extractFileName, "b.syx"},
        {"/a/", &BString::extractFileName, ""},
        {"b.syx", &BString::extractFileName, "b.syx"},
        {"/a/b.syx", &BString::extractFileDir, "/a"},
        {"/a/b/", &BString::extractFileDir, "/a"},
        {"/a", &BString::extractFileDir, "/"},
        {"/", &BString::extractFileDir, ""},
        {"b.syx", &BString::extractFileDir, ""},
        {"x/a.b.syx", &BString::extractFileExtension, ".syx"},
        {"a.b/c", &BString::extractFileExtension, ""},
        {".syx", &BString::extractFileExtension, ".syx"},
        {"/x/a.b.syx", &BString::removeFileExtension, "/x/a.b"},
        {"a.b/c", &BString::removeFileExtension, "a.b/c"},
        {"/x/a.syx", &BString::extractFileNameWithoutExtension, "a"},
        {"/x/.syx", &BString::extractFileNameWithoutExtension, ""},
        {"x.y/a", &BString::extractFileNameWithoutExtension, "a"},
        {"a", &BString::extractFileNameWithoutExtension, "a"},
        {"/a", &BString::addLastBackSlash, "/a/"},
        {"/a/", &BString::addLastBackSlash, "/a/"},
        {"", &BString::addLastBackSlash, "/"},
    };
    for (auto const& c : cases)
        EXPECT_STREQ(c.result, (BString(c.path).*c.helper)().c_str()) << c.path;
}

TEST(BStringFileName, ChangeExtension)
{
    EXPECT_STREQ("a.syx", BString("a.txt").changeFileExt(".syx").c_str());
    EXPECT_STREQ("a.syx", BString("a").changeFileExt(".syx").c_str());
    EXPECT_STREQ("x.y/a.syx", BString("x.y/a").changeFileExt(".syx").c_str());
}
