// setupkit's host functions on Linux (and other POSIX hosts).
#include "tools/setupkit/host.h"

#include <errno.h>
#include <iconv.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace fs = std::filesystem;

namespace {

// One descriptor per direction for the life of the tool; CP932 has no shift state to reset.
std::string ConvertChar(const std::string& in, iconv_t cd) {
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    char out[16];
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0 || result != 0)
        return {};
    return std::string(out, sizeof out - outLeft);
}

// The file the signal handler deletes; armed only while the path is complete.
char g_interruptPath[4096];
volatile sig_atomic_t g_interruptArmed = 0;
constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnInterrupt(int signal) {
    if (g_interruptArmed)
        unlink(g_interruptPath);
    // Ends the process as the signal would have, so that the caller sees how it ended.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

void InstallInterruptHandlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (int signal : kInterruptSignals) {
        struct sigaction action {
        }, previous{};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previous);
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (previous.sa_handler == SIG_IGN)
            sigaction(signal, &previous, nullptr);
    }
}

}  // namespace

fs::path ToolFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

std::string AnsiPath(const fs::path& path) {
    return path.string();
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool StderrIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}

bool UtcTime(std::time_t time, std::tm* parts) {
    return gmtime_r(&time, parts) != nullptr;
}

std::string CharToCp932(const std::string& utf8) {
    static iconv_t cd = iconv_open("CP932", "UTF-8");
    return ConvertChar(utf8, cd);
}

std::string CharFromCp932(const std::string& cp932) {
    static iconv_t cd = iconv_open("UTF-8", "CP932");
    return ConvertChar(cp932, cd);
}

bool IsLink(const fs::path& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

std::string MoveIntoPlace(const fs::path& from, const fs::path& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? std::string() : strerror(errno);
}

void DeleteOnInterrupt(const std::string& ansiPath) {
    g_interruptArmed = 0;
    if (ansiPath.empty() || ansiPath.size() >= sizeof g_interruptPath)
        return;
    InstallInterruptHandlers();
    memcpy(g_interruptPath, ansiPath.c_str(), ansiPath.size() + 1);
    g_interruptArmed = 1;
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;
