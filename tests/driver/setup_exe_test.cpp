// Starts the real setup.exe with command lines and looks at what the user sees.
#include <gtest/gtest.h>

#include <string>

#include "tests/driver/expected_strings.h"
#include "tests/support/message_box_probe.h"

namespace {

const std::string kSetup = SETUP_EXE_PATH;

std::string Message23With(const std::string& argument) {
    std::string text = kExpectedStrings[22].cp932;
    return text.replace(text.find("%s"), 2, argument);
}

TEST(SetupExe, QuotedArgumentOf258CharactersIsAccepted) {
    ProgramRun run =
        RunAnsweringMessageBoxes("\"" + kSetup + "\" /R \"" + std::string(258, 'a') + "\"", 20000);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
}

TEST(SetupExe, QuotedArgumentOf259CharactersShowsMessage23WithTheRest) {
    std::string rest = std::string(259, 'b') + "\" /U";
    ProgramRun run = RunAnsweringMessageBoxes("\"" + kSetup + "\" /R \"" + rest, 20000);
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, Message23With(rest));
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
