// A unique scratch folder per test, removed with its content at the end.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of name inside the folder, with the platform's separator.
    std::string File(const std::string& name) const;

  private:
    std::filesystem::path base_;
    std::string path_;
};

// Sends temporary files (GetTempPathA) to a folder for the object's lifetime.
class TempFolderOverride {
  public:
    explicit TempFolderOverride(const std::string& folder);
    ~TempFolderOverride();
    TempFolderOverride(const TempFolderOverride&) = delete;
    TempFolderOverride& operator=(const TempFolderOverride&) = delete;

  private:
    // putenv keeps the strings themselves, so they live as long as the override.
    std::string saved_[2], set_[2];
};

// The whole content of a file, or an empty string if it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes bytes as the whole content of a file; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
