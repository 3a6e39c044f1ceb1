#include "foundation/UString.h"

#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

using Tr::BString;
using Tr::UString;

namespace {

__attribute__((format(printf, 1, 2))) BString formatList(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = UString::FormatV(BString(fmt), args);
    va_end(args);
    return result;
}

} // namespace

TEST(UString, FormattingForms)
{
    BString a("a"), b("b"), c("c"), d("d"), e("e"), f("f");
    EXPECT_EQ(BString("[a]"), UString::FormatS1("[%s]", a));
    EXPECT_EQ(BString("[7]"), UString::FormatS1("[%d]", 7));
    EXPECT_EQ(BString("ab"), UString::FormatS2("%s%s", a, b));
    EXPECT_EQ(BString("a-2"), UString::FormatS2("%s-%d", a, 2));
    EXPECT_EQ(BString("a2,3"), UString::FormatS3("%s%d,%d", a, 2, 3));
    EXPECT_EQ(BString("abc"), UString::FormatS3("%s%s%s", a, b, c));
    EXPECT_EQ(BString("abcd"), UString::FormatS4("%s%s%s%s", a, b, c, d));
    EXPECT_EQ(BString("abcde"), UString::FormatS5("%s%s%s%s%s", a, b, c, d, e));
    EXPECT_EQ(BString("abcdef"), UString::FormatS6("%s%s%s%s%s%s", a, b, c, d, e, f));
    EXPECT_EQ(BString("x=5 y"), formatList("x=%d %s", 5, "y"));
    EXPECT_EQ(BString("x=5"), Tr::Format("x=%d", 5));
    EXPECT_EQ(BString("5%"), Tr::FormatV("%d%%", 5));
    EXPECT_EQ(BString("3.1"), Tr::FtoStr(3.14159, 9, 9));
    EXPECT_EQ(BString("12345.7"), Tr::FtoStr(12345.67, 0, 0));
    EXPECT_EQ(BString("-9000000000"), UString::FromInt(-9000000000LL));
}

TEST(UString, LongOutputComesBackWhole)
{
    for (int length : {3999, 4000, 5000, 40000}) {
        std::string text(static_cast<size_t>(length), 'x');
        EXPECT_EQ(length, Tr::Format("%s", text.c_str()).length());
        EXPECT_EQ(length + 2, UString::FormatS1("<%s>", BString(text.c_str())).length());
        EXPECT_EQ(length + 1, formatList("%s!", text.c_str()).length());
    }
}

TEST(UString, ResourceStringsComeFromLanguageIniReadOnce)
{
    FileTest::TempFolder folder;
    EXPECT_EQ(0, FileTest::runInChild([&] {
        return chdir(folder.path().c_str()) == 0 && UString::ResourceString("Cancel") == "Cancel" ? 0 : 1;
    }));

    FileTest::writeFile(folder / "Language.ini", "[other]\nOK=Nein\n[strings]\nCancel=Abbrechen\n");
    EXPECT_EQ(0, FileTest::runInChild([&] {
        if (chdir(folder.path().c_str()) != 0 || UString::ResourceString("Cancel") != "Abbrechen")
            return 1;
        FileTest::writeFile(folder / "Language.ini", "[strings]\nCancel=Annuler\nOK=Oui\n");
        return UString::ResourceString("Cancel") == "Abbrechen" && UString::ResourceString("OK") == "OK" ? 0 : 2;
    }));
}
