// Damaged setup executables: verify and extract fail with a message that says what is wrong,
// and never crash or write outside their folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "package/layout/package_layout.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/diagnostics.h"

namespace {

class DamagedPackage : public testing::Test {
  protected:
    void SetUp() override {
        WriteStub(stub_);
        ASSERT_EQ(BuildQuietly(ExampleManifest(), good_, stub_), 0);
        bytes_ = ReadBytes(good_);
        packageOffset_ = ReadBytes(stub_).size();
        std::uint64_t entryArea = 0;
        std::memcpy(&entryArea, &bytes_[packageOffset_], 8);  // little-endian host
        directory_ = packageOffset_ + 8 + static_cast<std::size_t>(entryArea);
    }

    // What verify and extract say about bytes written as a setup executable; empty when they
    // do not fail.
    std::string Failure(const std::vector<char>& bytes, bool extract = false) {
        WriteBytes(bad_, bytes);
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        std::string message;
        try {
            const int result = extract ? CommandExtract(bad_, fs::path(dir_.path()) / "out", "")
                                       : CommandVerify(bad_);
            if (result != 0)
                message = "exit code " + std::to_string(result);
        } catch (const ToolError& error) {
            message = error.what();
        }
        testing::internal::GetCapturedStdout();
        const std::string stderrText = testing::internal::GetCapturedStderr();
        return message.empty() ? message : message + "\n" + stderrText;
    }

    TempDir dir_;
    fs::path stub_ = fs::path(dir_.path()) / "stub.exe";
    fs::path good_ = fs::path(dir_.path()) / "good.exe";
    fs::path bad_ = fs::path(dir_.path()) / "bad.exe";
    std::vector<char> bytes_;
    std::size_t packageOffset_ = 0;
    std::size_t directory_ = 0;
};

TEST_F(DamagedPackage, TruncatedAnywhereFails) {
    // Every length inside the directory, where the images and the record are parsed; every
    // 37th before it.
    for (std::size_t cut = 0; cut < bytes_.size(); cut += cut < directory_ ? 37 : 1) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::vector<char> cutShort(bytes_.begin(), bytes_.begin() + cut);
        EXPECT_NE(Failure(cutShort), "");
        if (cut % 37 == 0) {  // extract opens the package through the same code
            EXPECT_NE(Failure(cutShort, true), "");
        }
    }
    const std::vector<char> lastByteMissing(bytes_.begin(), bytes_.end() - 1);
    EXPECT_NE(Failure(lastByteMissing).find("setup tree image is damaged or cut short"),
              std::string::npos);
}

TEST_F(DamagedPackage, WrongSlotFails) {
    const std::size_t slot = packageOffset_ - 32;  // the stand-in stub ends 28 bytes behind it
    for (std::uint32_t value : {0u, 0xFFFFFF00u, static_cast<std::uint32_t>(packageOffset_ + 1),
                                static_cast<std::uint32_t>(packageOffset_ - 1)}) {
        SCOPED_TRACE(value);
        std::vector<char> wrong = bytes_;
        std::memcpy(&wrong[slot], &value, 4);
        EXPECT_NE(Failure(wrong), "");
        EXPECT_NE(Failure(wrong, true), "");
    }
    std::vector<char> beyond = bytes_;
    const std::uint32_t pastEnd = 0xFFFFFF00u;
    std::memcpy(&beyond[slot], &pastEnd, 4);
    EXPECT_NE(Failure(beyond).find("package offset slot says 0xFFFFFF00"), std::string::npos);
}

TEST_F(DamagedPackage, CorruptedEntryFails) {
    std::vector<char> badLength = bytes_;
    badLength[packageOffset_ + 8 + 6] = 0x7F;  // the first entry's S runs far beyond the area
    EXPECT_NE(Failure(badLength).find("does not fit the entry area"), std::string::npos);

    std::vector<char> badHeader = bytes_;
    for (int i = 0; i < 8; ++i)  // the first stage's section lengths
        badHeader[packageOffset_ + 8 + 8 + 1 + i] = '\x7F';
    EXPECT_NE(Failure(badHeader).find("does not decode"), std::string::npos);
    EXPECT_NE(Failure(badHeader, true).find("does not decode"), std::string::npos);
}

TEST_F(DamagedPackage, TreeImageCutShortFails) {
    std::vector<char> cut(bytes_.begin(), bytes_.begin() + directory_ + 20);
    EXPECT_NE(Failure(cut).find("file tree image is damaged or cut short"), std::string::npos);
}

TEST_F(DamagedPackage, TrailingBytesAndStrayEntriesAreReported) {
    std::vector<char> trailing = bytes_;
    trailing.push_back('x');
    EXPECT_NE(Failure(trailing).find("1 bytes trail the package directory"), std::string::npos);
}

TEST_F(DamagedPackage, NamesThatWouldEscapeAreRefused) {
    // The top-level key "SF" (name length 2, then the name) becomes "..".
    std::vector<char> escaping = bytes_;
    const char sf[] = {'\x02', 'S', 'F'};
    auto at = std::search(escaping.begin() + static_cast<std::ptrdiff_t>(directory_),
                          escaping.end(), sf, sf + 3);
    ASSERT_NE(at, escaping.end());
    at[1] = '.';
    at[2] = '.';
    EXPECT_NE(Failure(escaping, true).find("refusing to extract"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(dir_.path()) / "qvcommon.dll"));
    EXPECT_FALSE(fs::exists(fs::path(dir_.path()) / "out"));  // refused before writing
    EXPECT_NE(Failure(escaping).find("the top-level key is no folder macro"), std::string::npos);
}

}  // namespace
