#include "base/text_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

// Double-byte characters whose trail byte is 0x5C: 表, ソ, 能.
const std::string kHyo = "\x95\x5C", kSo = "\x83\x5C", kNou = "\x94\x5C";

// Splits text the plain way, as a reader that holds the whole file would.
Lines SplitReference(const std::string& text) {
    Lines lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of("\r\n", i);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(i, end - i));
        i = end;
        if (i < text.size()) {
            char first = text[i++];
            if (i < text.size() && (text[i] == '\r' || text[i] == '\n') && text[i] != first)
                ++i;
        }
    }
    return lines;
}

class TextFile : public testing::Test {
  protected:
    HANDLE Create(const std::string& content) {
        Close();
        path_ = dir_.File("list.txt");
        WriteWholeFile(path_, content);
        file_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        return file_;
    }
    void Close() {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    ~TextFile() override { Close(); }

    Lines ReadLines(std::uint32_t bufferSize, int* result = nullptr) {
        std::vector<char> buffer(bufferSize + 1);
        Lines lines;
        int done = ForEachTextLine(file_, buffer.data(), bufferSize, &lines,
                                   [](const char* line, void* context) {
                                       static_cast<Lines*>(context)->push_back(line);
                                       return 1;
                                   });
        if (result)
            *result = done;
        return lines;
    }
    std::string Content() {
        Close();
        return ReadWholeFile(path_);
    }

    TempDir dir_;
    std::string path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

TEST_F(TextFile, LineEndFormsAndLastLines) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"no end", {"no end"}},
        {"", {}},
        {kHyo + "\\" + kSo + "\r\n" + kNou, {kHyo + "\\" + kSo, kNou}},
    };
    for (const Case& c : cases) {
        Create(c.text);
        int result = 0;
        EXPECT_EQ(ReadLines(kTextLineBufferSize, &result), c.lines)
            << testing::PrintToString(c.text);
        EXPECT_EQ(result, 1);
    }
}

// Lines of every length up to the limit, with every line-end form, read through buffers whose
// fills cut the file at many different places: no line of up to 260 bytes may be cut.
TEST_F(TextFile, FillBoundariesNeverCutShortLines) {
    std::mt19937 random(7);
    std::string text;
    const char* ends[] = {"\r\n", "\n\r", "\r", "\n"};
    for (int i = 0; i < 400; ++i) {
        std::size_t length = random() % (kTextLineLimit + 1);
        std::string line;
        while (line.size() < length) {
            // Mix single bytes and double-byte pairs with trail byte 0x5C.
            if (random() % 4 == 0 && line.size() + 2 <= length)
                line += kHyo;
            else
                line += static_cast<char>('a' + random() % 26);
        }
        text += line + ends[random() % 4];
    }
    text += std::string(kTextLineLimit, 'z');  // a last line without a line end
    Create(text);
    for (std::uint32_t size : {263u, 264u, 300u, 521u, 4096u, kTextLineBufferSize}) {
        EXPECT_EQ(ReadLines(size), SplitReference(text)) << "buffer of " << size;
    }
}

TEST_F(TextFile, LinesLongerThanTheBufferComeInPieces) {
    std::string longLine(1000, 'x');
    Create("a\r\n" + longLine + "\r\nb\r\n");
    Lines lines = ReadLines(300);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "a");
    EXPECT_EQ(lines.back(), "b");
    std::string joined;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 300u);
        joined += lines[i];
    }
    EXPECT_EQ(joined, longLine);
}

TEST_F(TextFile, FindIgnoresAsciiCaseButNotDoubleBytePairs) {
    std::string filler;
    for (int i = 0; i < 40; ++i)
        filler += "C:\\Program Files\\App\\file" + std::to_string(i) + ".dll\r\n";
    // ア (83 41) and ヂ (83 61) differ only in the ASCII case of their trail bytes.
    std::string a = "C:\\\x83\x41\\" + kSo + ".TXT";
    std::string last = "C:\\" + kHyo + "\\last.txt";
    Create(filler + a + "\r\n" + last);
    std::vector<char> buffer(301);
    std::uint64_t position = 0;
    ASSERT_EQ(FindTextLine(file_, buffer.data(), 300, ("c:\\\x83\x41\\" + kSo + ".txt").c_str(),
                           &position),
              1);
    EXPECT_EQ(position, filler.size());
    EXPECT_EQ(
        FindTextLine(file_, buffer.data(), 300, ("C:\\\x83\x61\\" + kSo + ".TXT").c_str(), nullptr),
        0)
        << "ヂ must not match ア";
    ASSERT_EQ(
        FindTextLine(file_, buffer.data(), 300, ("C:\\" + kHyo + "\\LAST.TXT").c_str(), &position),
        1)
        << "the last line of a file larger than the buffer";
    EXPECT_EQ(position, filler.size() + a.size() + 2);
    EXPECT_EQ(
        FindTextLine(file_, buffer.data(), 300, std::string(kTextLineLimit, 'x').c_str(), nullptr),
        0);
    Create("");
    EXPECT_EQ(FindTextLine(file_, buffer.data(), 300, "", nullptr), 0)
        << "an empty file has no line";
}

TEST_F(TextFile, DeleteFirstMiddleAndLastLinesOfAFileLargerThanTheBuffer) {
    Lines lines;
    std::string text;
    for (int i = 0; i < 60; ++i) {
        lines.push_back("C:\\" + kNou + "\\line" + std::to_string(i));
        text += lines.back() + "\r\n";
    }
    Create(text);
    std::vector<char> buffer(301);
    auto remove = [&](const std::string& line) {
        std::uint64_t position = 0;
        ASSERT_EQ(FindTextLine(file_, buffer.data(), 300, line.c_str(), &position), 1) << line;
        ASSERT_EQ(DeleteTextLine(file_, buffer.data(), 300, position), 1) << line;
        lines.erase(std::find(lines.begin(), lines.end(), line));
        EXPECT_EQ(ReadLines(300), lines) << "after deleting " << line;
    };
    remove(lines.front());
    remove(lines[30]);
    remove(lines.back());
    std::string expected;
    for (const std::string& line : lines)
        expected += line + "\r\n";
    EXPECT_EQ(Content(), expected);
}

TEST_F(TextFile, DeletingTheLastLineOnlyTruncates) {
    for (std::string end : {"\r\n", ""}) {
        Create("first\r\nsecond" + end);
        std::vector<char> buffer(301);
        std::uint64_t position = 0;
        ASSERT_EQ(FindTextLine(file_, buffer.data(), 300, "second", &position), 1);
        ASSERT_EQ(DeleteTextLine(file_, buffer.data(), 300, position), 1);
        EXPECT_EQ(Content(), "first\r\n");
    }
    Create("only\r\n");
    std::vector<char> buffer(301);
    EXPECT_EQ(DeleteTextLine(file_, buffer.data(), 300, 6), 1) << "nothing to delete at the end";
    EXPECT_EQ(Content(), "only\r\n");
}

TEST_F(TextFile, AppendWritesCrLfAndRefusesLongLines) {
    Create("a");
    EXPECT_EQ(AppendTextLine(file_, std::string(kTextLineLimit - 1, 'b').c_str()), 1);
    EXPECT_EQ(AppendTextLine(file_, std::string(kTextLineLimit, 'c').c_str()), 0);
    EXPECT_EQ(AppendTextLine(file_, (kHyo + kSo).c_str()), 1);
    EXPECT_EQ(Content(), "a" + std::string(kTextLineLimit - 1, 'b') + "\r\n" + kHyo + kSo + "\r\n");
}

TEST_F(TextFile, CallbackCanStopTheWalk) {
    Create("a\r\nb\r\nc\r\n");
    std::vector<char> buffer(kTextLineBufferSize + 1);
    int calls = 0;
    EXPECT_EQ(ForEachTextLine(file_, buffer.data(), kTextLineBufferSize, &calls,
                              [](const char*, void* context) {
                                  return ++*static_cast<int*>(context) < 2 ? 1 : 0;
                              }),
              0);
    EXPECT_EQ(calls, 2);
}

}  // namespace
