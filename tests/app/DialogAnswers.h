#pragma once
// Answers the application's message boxes in the test's place, in the order
// given, and records every box shown, for the life of the object.

#include "app/JuceUtils.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

class DialogAnswers
{
public:
    DialogAnswers()
    {
        previous = JuceUtils::setDialogHook([this](JuceUtils::Dialog const& dialog) {
            shown.push_back(dialog);
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected box: " << dialog.title << ": " << dialog.message;
                return JuceUtils::Cancel;
            }
            JuceUtils::DialogReturnCode answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~DialogAnswers()
    {
        JuceUtils::setDialogHook(previous);
        EXPECT_TRUE(answers.empty()) << "unused answers";
    }
    DialogAnswers(DialogAnswers const&) = delete;
    DialogAnswers& operator=(DialogAnswers const&) = delete;

    std::deque<JuceUtils::DialogReturnCode> answers;
    std::vector<JuceUtils::Dialog> shown;

private:
    JuceUtils::DialogHook previous;
};
