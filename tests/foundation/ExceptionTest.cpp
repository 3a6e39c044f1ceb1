#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(ExceptionTest, MessagesReportedByWhat)
{
    EXPECT_STREQ(Tr::Exception().what(), "UNKNOWN");
    EXPECT_STREQ(Tr::Exception("").what(), "");
    EXPECT_STREQ(Tr::Exception(static_cast<char const*>(nullptr)).what(), "");
    EXPECT_STREQ(Tr::Exception("Not a valid template file: too short").what(),
                 "Not a valid template file: too short");
    EXPECT_STREQ(Tr::Exception(Tr::BString("Gerät fehlt")).what(), "Gerät fehlt");
}

TEST(ExceptionTest, LongTextIsKeptWhole)
{
    std::string text(100000, 'x');
    text += "end";
    EXPECT_EQ(std::string(Tr::Exception(text.c_str()).what()), text);
}

TEST(ExceptionTest, CaughtAsStandardException)
{
    try {
        throw Tr::Exception("port failed");
    } catch (std::exception const& e) {
        EXPECT_STREQ(e.what(), "port failed");
    }
}

TEST(ExceptionTest, CopyOutlivesTheOriginal)
{
    auto original = std::make_unique<Tr::Exception>(Tr::BString("kept"));
    Tr::Exception copy(*original);
    original.reset();
    EXPECT_STREQ(copy.what(), "kept");

    Tr::Exception assigned;
    assigned = copy;
    EXPECT_STREQ(assigned.what(), "kept");
}

} // namespace
