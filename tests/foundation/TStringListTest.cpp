#include "foundation/TStringList.h"

#include "foundation/NameValueSyntax.h"

#include "FileTestSupport.h"
#include "StringListTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using FileTest::TempFolder;
using StringListTest::Lines;
using StringListTest::linesOf;
using Tr::BString;
using Tr::TStringList;

namespace {

TEST(TStringListText, SplitsAtEveryKindOfBreak)
{
    struct Case {
        char const* text;
        Lines lines;
    } const cases[] = {
        {"abc\r\ndef\rghi\njkl", {"abc", "def", "ghi", "jkl"}},
        {"x\n", {"x"}},
        {"\n", {""}},
        {"", {}},
        {"a", {"a"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\r\nb\r", {"a", "", "b"}},
        {"\xEF\xBB\xBF[ab]", {"\xEF\xBB\xBF[ab]"}},
    };
    for (auto const& c : cases) {
        TStringList list{BString(c.text)};
        EXPECT_EQ(c.lines, linesOf(list)) << c.text;
    }
}

TEST(TStringListText, LengthLimitsAndZeroBytes)
{
    TStringList list;
    list.SetText("abcdef", 3);
    EXPECT_EQ(Lines({"abc"}), linesOf(list));
    list.SetText("ab\0cd", 5);
    EXPECT_EQ(Lines({"ab"}), linesOf(list));
    list.SetText("x\ny", -1);
    EXPECT_EQ(Lines({"x", "y"}), linesOf(list));
    list.SetText("a\r\nb", 2);
    EXPECT_EQ(Lines({"a"}), linesOf(list));
    list.SetText(nullptr, 4);
    EXPECT_EQ(0, list.GetCount());
}

TEST(TStringListText, JoinEndsEveryLine)
{
    TStringList list;
    EXPECT_STREQ("", list.GetText().c_str());
    EXPECT_EQ(0, list.GetTextLen(2));
    list.Add(BString("a"));
    list.Add(BString("bc"));
    EXPECT_STREQ("a\nbc\n", list.GetText().c_str());
    EXPECT_EQ(7, list.GetTextLen(2));
}

TEST(TStringListLines, AddAssignClearAndCapacity)
{
    int objects[2];
    TStringList list;
    list.AddObject(BString("one"), &objects[0]);
    list.Add(BString("two"));
    TStringList other;
    other.Add(BString("zero"));
    other.Add(list);
    EXPECT_EQ(Lines({"zero", "one", "two"}), linesOf(other));
    EXPECT_EQ(&objects[0], other.GetObject(1));
    EXPECT_EQ(nullptr, other.GetObject(2));

    other.Add(other);
    EXPECT_EQ(6, other.GetCount());
    TStringList copy(other);
    copy = copy;
    EXPECT_EQ(linesOf(other), linesOf(copy));
    list.Assign(other);
    EXPECT_EQ(6, list.GetCount());

    list.SetCapacity(100);
    EXPECT_GE(list.GetCapacity(), 100);
    list.Clear();
    EXPECT_EQ(0, list.GetCount());
    EXPECT_GE(list.GetCapacity(), 100);
}

TEST(TStringListLines, SearchAddIfNotExistsDeleteAndSort)
{
    int objects[3];
    TStringList list;
    list.AddObject(BString("b"), &objects[0]);
    list.AddObject(BString("B"), &objects[1]);
    list.AddObject(BString("a"), &objects[2]);
    EXPECT_EQ(1, list.IndexOf(BString("B")));
    EXPECT_EQ(0, list.IndexOfIgnoreCase(BString("B")));
    EXPECT_EQ(-1, list.IndexOf(BString("c")));
    EXPECT_EQ(0, list.AddIfNotExists(BString("A"), 1));
    EXPECT_EQ(1, list.AddIfNotExists(BString("A"), 0));
    EXPECT_EQ(0, list.AddIfNotExists(BString("A"), 0));
    list.Sort();
    EXPECT_EQ(Lines({"A", "B", "a", "b"}), linesOf(list));
    EXPECT_EQ(&objects[1], list.GetObject(1));
    EXPECT_EQ(&objects[0], list.GetObject(3));
    list.Delete(0);
    list.Delete(9);
    list.Delete(-1);
    EXPECT_EQ(Lines({"B", "a", "b"}), linesOf(list));
}

struct PairCase {
    char const* line;
    bool pair;
    char const* key;
    char const* value;
};

TEST(PairParser, QuotingEscapesCommentsAndKeys)
{
    PairCase const cases[] = {
        {" key  =  value  ", true, "key", "value  "},
        {"\"a b\" = \"x\\ty\"", true, "a b", "x\ty"},
        {"\t k\t=\tv", true, "k", "v"},
        {"k = a=b", true, "k", "a=b"},
        {"k=", true, "k", ""},
        {"k=v \"q\"", true, "k", "v \"q\""},
        {"k=\"v\" ignored", true, "k", "v"},
        {"\"k\" junk = v", true, "k", "v"},
        {"\"k\\\"q\\\\\"=1", true, "k\"q\\", "1"},
        {"k=\"\\a\\b\\n\\r\\t\\\\\\\"\\z\"", true, "k", "\a\b\n\r\t\\\"z"},
        {"k=back\\slash", true, "k", "back\\slash"},
        {"\"a b", false, "", ""},
        {"\"a\\", false, "", ""},
        {"\"a\" no equals", false, "", ""},
        {"k=\"abc", false, "", ""},
        {"k=\"ab\\", false, "", ""},
        {";c=1", false, "", ""},
        {"   ;c=1", false, "", ""},
        {"noequals", false, "", ""},
        {"=v", false, "", ""},
        {"  =v", false, "", ""},
        {"\"\"=v", false, "", ""},
        {"", false, "", ""},
        {" \t ", false, "", ""},
    };
    for (auto const& c : cases) {
        std::string key;
        std::string value;
        bool pair = Tr::ParseNameValueLine(c.line, key, value);
        EXPECT_EQ(c.pair, pair) << c.line;
        if (pair && c.pair) {
            EXPECT_EQ(c.key, key) << c.line;
            EXPECT_EQ(c.value, value) << c.line;
        }
    }
}

TEST(PairParser, LastDuplicateWinsAndDeleteTakesTheFirst)
{
    TStringList list{BString("k=1\nk=2\nother=x")};
    EXPECT_STREQ("2", list.GetValue(BString("k")).c_str());
    BString key("k");
    EXPECT_EQ(0, list.ParseValues(&key));
    EXPECT_EQ(-1, list.ParseValues());
    EXPECT_TRUE(list.DeleteKey(BString("k")));
    EXPECT_EQ(Lines({"k=2", "other=x"}), linesOf(list));
    list.SetValue(BString("other"), BString("y"));
    list.Add(BString("k=1"));
    list.SetValue(BString("k"), BString("3"));
    EXPECT_EQ(Lines({"other=y", "k=1", "k=3"}), linesOf(list));
    EXPECT_STREQ("3", list.GetValue(BString("k")).c_str());
    EXPECT_FALSE(list.DeleteKey(BString("absent")));
}

TEST(PairParser, LookupsFollowChangesOfTheLines)
{
    TStringList list;
    EXPECT_FALSE(list.KeyExists(BString("k")));
    list.Add(BString("k="));
    EXPECT_TRUE(list.KeyExists(BString("k")));
    EXPECT_STREQ("", list.GetValue(BString("k")).c_str());
    list.SetText(BString("k=new"));
    EXPECT_STREQ("new", list.GetValue(BString("k")).c_str());
    list.Clear();
    EXPECT_FALSE(list.KeyExists(BString("k")));
    EXPECT_STREQ("", list.GetValue(BString("missing")).c_str());
}

// A list whose name=value view is in use follows every change; a copy of its
// lines, parsed afresh, must give the same answers after each step.
TEST(PairParser, ViewInUseAnswersAsAFreshParse)
{
    struct Step {
        char const* what;
        std::function<void(TStringList&)> change;
    };
    Step const steps[] = {
        {"add a new key", [](TStringList& l) { l.Add(BString("c=4")); }},
        {"add a duplicate", [](TStringList& l) { l.Add(BString("b=5")); }},
        {"add a line without a pair", [](TStringList& l) { l.Add(BString("no pair")); }},
        {"add a quoted pair", [](TStringList& l) { l.AddObject(BString("\"d e\" = \" x \""), nullptr); }},
        {"delete the first of two lines", [](TStringList& l) { l.DeleteKey(BString("a")); }},
        {"delete the only line", [](TStringList& l) { l.DeleteKey(BString("c")); }},
        {"delete a missing key", [](TStringList& l) { l.DeleteKey(BString("zz")); }},
        {"set a key of two lines", [](TStringList& l) { l.SetValue(BString("b"), BString("6")); }},
        {"set a new key", [](TStringList& l) { l.SetValue(BString("f"), BString(" 7")); }},
        {"delete the key's last line", [](TStringList& l) { l.DeleteKey(BString("a")); }},
        {"delete a line by index", [](TStringList& l) { l.Delete(0); }},
    };
    char const* const keys[] = {"a", "b", "c", "d e", "f", "zz", "no pair"};
    TStringList list{BString("a=1\nb=2\n; c=0\na=3")};
    ASSERT_TRUE(list.KeyExists(BString("a")));
    for (Step const& step : steps) {
        step.change(list);
        TStringList const fresh(list);
        for (char const* key : keys) {
            EXPECT_EQ(fresh.KeyExists(BString(key)), list.KeyExists(BString(key))) << step.what << ": " << key;
            EXPECT_STREQ(fresh.GetValue(BString(key)).c_str(), list.GetValue(BString(key)).c_str())
                << step.what << ": " << key;
        }
    }
    EXPECT_EQ(Lines({"b=5", "no pair", "\"d e\" = \" x \"", "b=6", "f=\" 7\""}), linesOf(list));
}

TEST(PairParser, LongLinesAreReadWhole)
{
    std::string value(20000, 'v');
    value += "end";
    TStringList list{BString(("key=" + value + "\n").c_str())};
    EXPECT_EQ(value, list.GetValue(BString("key")).c_str());
    std::string quoted = "q=\"" + std::string(9000, 'x') + "\\n\"";
    list.Add(BString(quoted.c_str()));
    EXPECT_EQ(std::string(9000, 'x') + "\n", list.GetValue(BString("q")).c_str());
}

TEST(PairParser, KeysOfLines)
{
    TStringList list{BString(" a = b \nnokey \n\"q\"=1\n\n;c")};
    char const* keys[] = {"a", "nokey", "\"q\"", "", ";c"};
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_STREQ(keys[i], list.GetKey(i).c_str()) << i;
}

TEST(ValueQuoting, OrdinaryValuesStayAsTheyAre)
{
    for (char const* value : {"plain", "a b", "", "back\\slash", "mid\"quote", "1", "/home/u/My Files/x.syx",
                              "Gr\xC3\xBC\xC3\x9F"}) {
        TStringList list;
        list.SetValue(BString("k"), BString(value));
        EXPECT_EQ("k=" + std::string(value), list.GetString(0).c_str());
    }
}

TEST(ValueQuoting, ValuesThatNeedQuotesRoundTrip)
{
    struct Case {
        char const* value;
        char const* written;
    } const cases[] = {
        {" lead", "k=\" lead\""},
        {"trail ", "k=\"trail \""},
        {"\"q", "k=\"\\\"q\""},
        {"line\nbreak\\", "k=\"line\\nbreak\\\\\""},
        {"tab\tx", "k=\"tab\\tx\""},
        {"a\rb\ac\bd", "k=\"a\\rb\\ac\\bd\""},
        {"\x01\x1F", "k=\"\x01\x1F\""},
    };
    for (auto const& c : cases) {
        TStringList list;
        list.SetValue(BString("k"), BString(c.value));
        EXPECT_STREQ(c.written, list.GetString(0).c_str()) << c.value;
        TStringList reread{list.GetText()};
        EXPECT_EQ(1, reread.GetCount()) << c.value;
        EXPECT_STREQ(c.value, reread.GetValue(BString("k")).c_str());
    }
}

TEST(CommandLine, SplitsArguments)
{
    struct Case {
        char const* text;
        Lines arguments;
    } const cases[] = {
        {"a \"b c\"  d", {"a", "b c", "d"}},
        {"\"\"", {}},
        {"", {}},
        {"x\"y z\"w", {"xy zw"}},
        {"\tone\ntwo\x01three", {"one", "two", "three"}},
        {"\xC3\xA9t\xC3\xA9 \"unclosed  q", {"\xC3\xA9t\xC3\xA9", "unclosed  q"}},
    };
    for (auto const& c : cases) {
        TStringList list{BString("stale")};
        list.ParseCommandLine(BString(c.text));
        EXPECT_EQ(c.arguments, linesOf(list)) << c.text;
    }
}

TEST(StringListFiles, SaveAndLoad)
{
    TempFolder dir;
    BString file((dir / "list.txt").c_str());
    TStringList list{BString("a\r\nb")};
    EXPECT_TRUE(list.SaveToFile(file));
    EXPECT_EQ("a\nb\n", FileTest::readFile(dir / "list.txt"));
    TStringList loaded;
    EXPECT_TRUE(loaded.LoadFromFile(file));
    EXPECT_EQ(Lines({"a", "b"}), linesOf(loaded));

    EXPECT_FALSE(loaded.LoadFromFile(BString((dir / "missing").c_str())));
    EXPECT_EQ(Lines({"a", "b"}), linesOf(loaded));
    EXPECT_FALSE(list.SaveToFile(BString((dir / "no/folder.txt").c_str())));
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
}

} // namespace
