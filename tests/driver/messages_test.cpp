#include "base/messages.h"
#include "resources/string_ids.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tests/driver/expected_strings.h"
#include "tests/driver/test_string_ids.h"
#include "tests/support/message_box_probe.h"

namespace {

std::string Loaded(UINT id) {
    char* text = LoadResourceString(nullptr, id);
    EXPECT_NE(text, nullptr);
    std::string result = text ? text : "";
    std::free(text);
    return result;
}

TEST(StringTable, EveryTextIsStoredByteForByteInCodePage932) {
    for (const ExpectedString& expected : kExpectedStrings)
        EXPECT_EQ(Loaded(expected.id), expected.cp932) << "string " << expected.id;
    const UINT notInTheTable = 12345;
    EXPECT_EQ(Loaded(notInTheTable), "");
    // Test strings around the growth steps of the loader's buffer.
    EXPECT_EQ(Loaded(IDS_TEST_253_CHARACTERS), std::string(253, 'a'));
    EXPECT_EQ(Loaded(IDS_TEST_254_CHARACTERS), std::string(254, 'b'));
    EXPECT_EQ(Loaded(IDS_TEST_600_CHARACTERS), std::string(600, 'c'));
}

// Shows a box on this thread while a second thread reads and answers it.
SeenMessageBox ShowAndAnswer(UINT messageId, const std::string& argument) {
    SeenMessageBox seen;
    std::thread watcher([&] { seen = AnswerMessageBox(GetCurrentProcessId(), 10000); });
    ShowMessageBox(nullptr, messageId, IDS_CAPTION_ERROR, MB_OK, argument.c_str());
    watcher.join();
    EXPECT_TRUE(seen.found) << "message " << messageId;
    EXPECT_EQ(seen.caption, ExpectedText(IDS_CAPTION_ERROR));
    return seen;
}

TEST(MessageBox, ArgumentReplacesPercentSWithinTheOutputBuffer) {
    const std::string path = "C:\\\x95\x5C\\file.txt";
    EXPECT_EQ(ShowAndAnswer(IDS_CANNOT_CREATE_FILE, path).text,
              ExpectedMessage(IDS_CANNOT_CREATE_FILE, path));
    // A template of 40 bytes: 40 + 4055 + 1 = 4096 bytes still fit the output buffer.
    ASSERT_EQ(std::strlen(ExpectedText(IDS_CANNOT_READ_FILE)), 40u);
    std::string fits(4055, 'x');
    EXPECT_EQ(ShowAndAnswer(IDS_CANNOT_READ_FILE, fits).text,
              ExpectedMessage(IDS_CANNOT_READ_FILE, fits));
    EXPECT_EQ(ShowAndAnswer(IDS_CANNOT_READ_FILE, fits + "x").text, "")
        << "one byte more gives an empty box";
}

}  // namespace
