// What setupkit does differently on Linux and on Windows, behind one set of functions:
// host_posix.cpp and host_win32.cpp implement them, and the build links the one for its host.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// The folder of the running setupkit executable; empty when it cannot be found.
std::filesystem::path ToolFolder();

// A path as the platform layer's ANSI calls take it: the system code page on Windows (where
// std::filesystem would give UTF-8), the bytes themselves elsewhere.
std::string AnsiPath(const std::filesystem::path& path);

// The command-line arguments behind the program name in UTF-8, the encoding of every string
// inside setupkit: the ANSI main() of Windows receives them in the system code page (932 on a
// Japanese system); elsewhere they are taken as they are.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// True when stderr is a terminal.
bool StderrIsTerminal();

// The calendar time (UTC) of a time_t; false when the host cannot represent it.
bool UtcTime(std::time_t time, std::tm* parts);

// One character from UTF-8 to code page 932 and back; empty when it has no mapping.
std::string CharToCp932(const std::string& utf8);
std::string CharFromCp932(const std::string& cp932);

// True when the path itself (not what it leads to) is a symbolic link, or on Windows any
// reparse point such as a junction.
bool IsLink(const std::filesystem::path& path);

// Puts the file from in the place of to in one step, replacing a file that is there; an empty
// string, or why it failed.
std::string MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to);

// While set, the file at ansiPath is deleted when the process is interrupted (Ctrl+C, SIGINT,
// SIGTERM, SIGHUP) before it ends by the signal's default action; an empty path stops that.
// A file open at that moment must have been opened with FILE_SHARE_DELETE.
void DeleteOnInterrupt(const std::string& ansiPath);

// Switches the Windows console to UTF-8 output for the object's life; nothing elsewhere.
class Utf8Console {
  public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    unsigned previous_ = 0;
};
