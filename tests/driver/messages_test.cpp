#include "base/messages.h"
#include "resources/string_ids.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tests/driver/expected_strings.h"
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
    for (const ExpectedString& expected : kExpectedStrings) {
        EXPECT_EQ(Loaded(expected.id), expected.cp932) << "string " << expected.id;
    }
    EXPECT_EQ(Loaded(5), Loaded(6)) << "ids 5 and 6 share their text";
    EXPECT_EQ(Loaded(12345), "") << "an id that is not in the table";
}

TEST(StringTable, LongStringsNeedLargerCapacities) {
    EXPECT_EQ(Loaded(60001), std::string(253, 'a'));
    EXPECT_EQ(Loaded(60002), std::string(254, 'b'));
    EXPECT_EQ(Loaded(60003), std::string(600, 'c'));
}

// Shows a box on this thread while a second thread reads and answers it.
SeenMessageBox ShowAndAnswer(UINT messageId, const char* argument, int* result = nullptr) {
    SeenMessageBox seen;
    std::thread watcher([&] { seen = AnswerMessageBox(GetCurrentProcessId(), 10000); });
    int shown = ShowMessageBox(nullptr, messageId, IDS_CAPTION_ERROR, MB_OK, argument);
    watcher.join();
    if (result)
        *result = shown;
    return seen;
}

const std::string kCaption = "\x83\x47\x83\x89\x81\x5B";  // エラー

TEST(MessageBox, ArgumentReplacesPercentS) {
    int result = 0;
    SeenMessageBox box = ShowAndAnswer(7, "C:\\\x95\x5C\\file.txt", &result);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(box.caption, kCaption);
    std::string expected = std::string(kExpectedStrings[6].cp932);
    expected.replace(expected.find("%s"), 2, "C:\\\x95\x5C\\file.txt");
    EXPECT_EQ(box.text, expected);
}

TEST(MessageBox, NullArgumentCountsAsEmpty) {
    SeenMessageBox box = ShowAndAnswer(23, nullptr);
    ASSERT_TRUE(box.found);
    std::string expected = kExpectedStrings[22].cp932;
    EXPECT_EQ(box.text, expected.substr(0, expected.find("%s")));
}

TEST(MessageBox, OutputBufferHoldsTemplateAndArgumentUpTo4096Bytes) {
    // Message 8 has a template of 40 bytes: 40 + 4055 + 1 = 4096 still fits.
    ASSERT_EQ(std::strlen(kExpectedStrings[7].cp932), 40u);
    std::string fits(4055, 'x');
    SeenMessageBox shown = ShowAndAnswer(8, fits.c_str());
    ASSERT_TRUE(shown.found);
    EXPECT_EQ(shown.text.size(), 38u + 4055u);
    EXPECT_EQ(shown.text.substr(38), fits);
    SeenMessageBox empty = ShowAndAnswer(8, (fits + "x").c_str());
    ASSERT_TRUE(empty.found);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.caption, kCaption);
}

}  // namespace
