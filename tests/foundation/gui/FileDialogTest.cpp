#include "foundation/gui/FileDialog.h"

#include <gtest/gtest.h>

using Tr::BString;

namespace {

// Clears the hook at the end of a test, so no answer leaks into the next one.
struct HookReset
{
    ~HookReset() { Tr::setFileDialogHook(nullptr); }
};

TEST(FileDialog, HookSeesTheRequestAndAnswers)
{
    HookReset reset;
    Tr::FileDialogRequest seen;
    Tr::setFileDialogHook([&](Tr::FileDialogRequest const& request) {
        seen = request;
        return BString("/home/u/chosen file.syx");
    });
    BString result = Tr::askUserForFileDialog(BString("Save settings"), BString("prompt"), BString("*.syx"),
                                              BString("Settings"), BString("/home/u/old.syx"), 1);
    EXPECT_STREQ("/home/u/chosen file.syx", result.c_str());
    EXPECT_STREQ("Save settings", seen.title.c_str());
    EXPECT_STREQ("prompt", seen.prompt.c_str());
    EXPECT_STREQ("*.syx", seen.filter.c_str());
    EXPECT_STREQ("Settings", seen.filterDescription.c_str());
    EXPECT_STREQ("/home/u/old.syx", seen.initialFile.c_str());
    EXPECT_EQ(1, seen.save);
}

TEST(FileDialog, CancelGivesEmptyString)
{
    HookReset reset;
    int calls = 0;
    Tr::setFileDialogHook([&](Tr::FileDialogRequest const& request) {
        ++calls;
        EXPECT_EQ(0, request.save);
        return BString();
    });
    EXPECT_TRUE(Tr::askUserForFileDialog(BString("Open"), BString(), BString("*.syx"), BString(), BString(), 0)
                    .isEmpty());
    EXPECT_EQ(1, calls);
}

} // namespace
