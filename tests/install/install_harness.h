// Running the install engine inside a test the way the progress page runs it: the package read
// as the driver reads it, the page made from its real template, the run stepped from a message
// loop, and every message box answered and kept.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "install/install_run.h"
#include "install/progress_page_controls.h"
#include "package/decode/compress.h"
#include "setupinfo/setup_info.h"
#include "tests/support/message_box_probe.h"

class ClTree;

// Code page 932 bytes of UTF-8 text.
std::string Sjis(const std::string& utf8);
// UTF-8 text of code page 932 bytes.
std::string Utf8(const std::string& sjis);

// The folder of a folder macro on this machine, with below joined to it; "" if there is none.
std::string MacroFolder(std::uint16_t macro, const std::string& below = "");
// Whether a file or folder stands at path.
bool Exists(const std::string& path);
// Deletes path, a file or a folder with everything in it, if it is there.
void RemoveTree(const std::string& path);

// Runs a command line to its end with standard output and error going to a file; the output.
std::string RunCaptured(const std::string& commandLine, DWORD* exitCode);

// Builds output from a manifest (UTF-8 text) whose sources lie in folder, with setupkit.exe and
// this build's setup.exe as the stub. true on success.
bool BuildSetup(const std::string& folder, const std::string& manifest, const std::string& output);

// Writes to damaged a copy of the setup executable setup whose entry of the file at itemPath
// (such as "IF\\a.txt") no decoder accepts: its codec chain is broken. true on success.
bool WriteDamagedEntryCopy(const std::string& setup, const char* itemPath,
                           const std::string& damaged);

// The driver's part: the trees and the setup information of a setup executable's package, in
// g_setup as the driver leaves them.
class CLoadedPackage {
  public:
    explicit CLoadedPackage(const std::string& setupPath);
    ~CLoadedPackage();
    bool ok = false;
    std::uint64_t offset = 0;
    SSetupInfo info;
};

// The progress page: a window from template 129, the child of a plain top-level window as the
// sheet holds it. It keeps every detail line the run shows.
class CTestPage : public CProgressPageControls {
  public:
    CTestPage();
    ~CTestPage() override;
    void SetStatus(StatusLine line, const char* text) override;
    void RunFinished(SInstallPageTracker* run) override;

    HWND host = nullptr;
    HWND page = nullptr;
    bool finished = false;
    std::vector<std::string> details;
};

// One install run with what the wizard lends it: the codec, the pending-deletion list held
// open, the SharedDLLs key.
class CInstallSession {
  public:
    explicit CInstallSession(CLoadedPackage& package, int custom = 0);
    ~CInstallSession();
    // Attaches the run to the page, starts it and steps it from a message loop until it has
    // finished or a step has failed. Both logs before and after a failed step are kept.
    void Run();

    CTestPage page;
    SCompress codec;
    std::vector<char> listBuffer;
    HANDLE pendingList = INVALID_HANDLE_VALUE;
    HKEY sharedDlls = nullptr;
    CInstallPageTracker* run = nullptr;
    bool prepared = false;
    bool failed = false;
    std::vector<SeenMessageBox> boxes;
    std::string stateBeforeFailure;
    std::string stateAfterFailure;

  private:
    std::string State();
};
