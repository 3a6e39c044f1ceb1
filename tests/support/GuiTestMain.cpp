// GUI tests run inside a JUCE application (JuceApplicationMain.h), on its
// message thread; the exit code is theirs.
#include "tests/support/JuceApplicationMain.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // The tests run from the build tree, which may lie on a loop device: no
    // install offer unless a test sets up its own mount table.
    setenv("DRAVIK_MOUNTINFO", "/dev/null", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return guitest::runAsJuceApplication(argc, argv, "Dravik GUI tests", [] { return RUN_ALL_TESTS(); });
}
