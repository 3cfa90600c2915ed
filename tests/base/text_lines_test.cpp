#include "base/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

// Double-byte characters whose trail byte is 0x5C: 表, ソ, 能.
const std::string kHyo = "\x95\x5C", kSo = "\x83\x5C", kNou = "\x94\x5C";

class TextFile : public testing::Test {
  protected:
    void Create(const std::string& content) {
        file_.Close();
        WriteWholeFile(path_, content);
        file_ = OpenScratchFile(path_, GENERIC_READ | GENERIC_WRITE);
    }
    // Every line, read to the end of the file.
    Lines ReadLines(std::uint32_t bufferSize) {
        std::vector<char> buffer(bufferSize + 1);
        Lines lines;
        EXPECT_EQ(ForEachTextLine(file_.get(), buffer.data(), bufferSize, &lines,
                                  [](const char* line, void* context) {
                                      static_cast<Lines*>(context)->push_back(line);
                                      return 1;
                                  }),
                  1);
        return lines;
    }
    // Finds a line with a 300-byte buffer; its position, or -1.
    std::int64_t Find(const std::string& line) {
        std::uint64_t position = 0;
        return FindTextLine(file_.get(), buffer_, 300, line.c_str(), &position) ? position : -1;
    }

    TempDir dir_;
    std::string path_ = dir_.File("list.txt");
    ClFileHandle file_;
    char buffer_[301];
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
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"", {}},
        {kHyo + "\\" + kSo + "\r\n" + kNou, {kHyo + "\\" + kSo, kNou}},
    };
    for (const Case& c : cases) {
        Create(c.text);
        EXPECT_EQ(ReadLines(kTextLineBufferSize), c.lines) << testing::PrintToString(c.text);
    }
}

// Lines of every length up to the limit, with every line-end form, read through buffers whose
// fills cut the file at many different places: no line of up to 260 bytes may be cut.
TEST_F(TextFile, FillBoundariesNeverCutShortLines) {
    std::mt19937 random(7);
    std::string text;
    Lines lines;
    const std::string ends[] = {"\r\n", "\n\r", "\r", "\n"};
    std::string end = "\r\n";
    for (int i = 0; i < 400; ++i) {
        // An empty line behind a lone CR or LF would make one line end of the two.
        std::size_t length =
            std::max<std::size_t>(random() % (kTextLineLimit + 1), end.size() == 1 ? 1 : 0);
        std::string line;
        while (line.size() < length) {
            // Mix single bytes and double-byte pairs with trail byte 0x5C.
            if (random() % 4 == 0 && line.size() + 2 <= length)
                line += kHyo;
            else
                line += static_cast<char>('a' + random() % 26);
        }
        end = ends[random() % 4];
        lines.push_back(line);
        text += line + end;
    }
    lines.push_back(std::string(kTextLineLimit, 'z'));  // a last line without a line end
    Create(text + lines.back());
    for (std::uint32_t size : {263u, 300u, 521u, kTextLineBufferSize})
        EXPECT_EQ(ReadLines(size), lines) << "buffer of " << size;
}

// Find, delete and append in a file larger than the buffer, with double-byte names.
TEST_F(TextFile, FindDeleteAndAppendInAFileLargerThanTheBuffer) {
    Lines lines;
    std::string text;
    for (int i = 0; i < 60; ++i) {
        lines.push_back("C:\\" + kNou + "\\line" + std::to_string(i));
        text += lines.back() + "\r\n";
    }
    // ア (83 41) and ヂ (83 61) differ only in the ASCII case of their trail bytes.
    lines.push_back("C:\\\x83\x41\\" + kSo + ".TXT");
    Create(text + lines.back());
    EXPECT_EQ(Find("c:\\\x83\x41\\" + kSo + ".txt"), std::int64_t(text.size()))
        << "the last line, without a line end, found ignoring ASCII case";
    EXPECT_EQ(Find("C:\\\x83\x61\\" + kSo + ".TXT"), -1) << "ヂ must not match ア";
    // The last line without and then with its line end goes by truncation.
    for (std::string line : {lines.front(), lines[30], lines.back(), lines[59]}) {
        std::int64_t position = Find(line);
        ASSERT_GE(position, 0) << line;
        ASSERT_EQ(DeleteTextLine(file_.get(), buffer_, 300, position), 1) << line;
        lines.erase(std::find(lines.begin(), lines.end(), line));
        EXPECT_EQ(ReadLines(300), lines) << "after deleting " << line;
    }
    std::string expected;
    for (const std::string& line : lines)
        expected += line + "\r\n";

    // Appending writes CR LF.
    EXPECT_EQ(AppendTextLine(file_.get(), std::string(kTextLineLimit - 1, 'b').c_str()), 1);
    EXPECT_EQ(AppendTextLine(file_.get(), std::string(kTextLineLimit, 'c').c_str()), 0);
    file_.Close();
    EXPECT_EQ(ReadWholeFile(path_), expected + std::string(kTextLineLimit - 1, 'b') + "\r\n");
}

}  // namespace
