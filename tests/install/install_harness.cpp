#include "tests/install/install_harness.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "base/file_io.h"
#include "base/setup_context.h"
#include "base/shared_names.h"
#include "base/text_lines.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "resources/install_ids.h"
#include "setupinfo/folder_macros.h"
#include "tests/support/temp_dir.h"
#include "tests/tree/tree_test_support.h"
#include "tree/tree.h"

namespace {

SSetupContext g_testContext;

std::string Convert(const std::string& text, UINT from, UINT to) {
    int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring buffer(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), buffer.data(), wide);
    int bytes = WideCharToMultiByte(to, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(to, 0, buffer.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

const char kHostClass[] = "InstallTestHost";

// Answers every message box of this process from a second thread until it is stopped.
class CBoxAnswerer {
  public:
    CBoxAnswerer()
        : thread_([this] {
              while (!stop_) {
                  SeenMessageBox box = AnswerMessageBox(GetCurrentProcessId(), 100);
                  if (box.found)
                      boxes_.push_back(box);
              }
          }) {}
    std::vector<SeenMessageBox> Stop() {
        stop_ = true;
        thread_.join();
        return boxes_;
    }

  private:
    std::vector<SeenMessageBox> boxes_;
    volatile bool stop_ = false;
    std::thread thread_;
};

}  // namespace

std::string Sjis(const std::string& utf8) {
    return Convert(utf8, CP_UTF8, 932);
}

std::string Utf8(const std::string& sjis) {
    return Convert(sjis, 932, CP_UTF8);
}

std::string MacroFolder(std::uint16_t macro, const std::string& below) {
    char* folder = ExpandFolderMacros(nullptr, macro, below.empty() ? nullptr : below.c_str());
    std::string path = folder ? folder : "";
    std::free(folder);
    return path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    std::string from = path + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

std::string RunCaptured(const std::string& commandLine, DWORD* exitCode) {
    TempDir dir;
    std::string outputPath = dir.File("output.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    *exitCode = 0xFFFFFFFF;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    return ReadWholeFile(outputPath);
}

bool BuildSetup(const std::string& folder, const std::string& manifest, const std::string& output) {
    std::string manifestPath = folder + "\\setup.toml";
    WriteWholeFile(manifestPath, manifest);
    DWORD exitCode = 0;
    std::string said =
        RunCaptured(std::string("\"") + SETUPKIT_EXE + "\" build \"" + manifestPath + "\" -o \"" +
                        output + "\" --stub \"" + SETUP_STUB + "\" --quiet",
                    &exitCode);
    if (exitCode != 0)
        std::fprintf(stderr, "setupkit build failed:\n%s\n", said.c_str());
    return exitCode == 0;
}

CLoadedPackage::CLoadedPackage(const std::string& setupPath) {
    g_setup = &g_testContext;
    g_testContext = SSetupContext{};
    std::snprintf(g_setup->programPath, kContextPathSize, "%s", setupPath.c_str());
    std::string bytes = ReadWholeFile(setupPath);
    const char* notice = FindPackageNotice(bytes.data(), bytes.data() + bytes.size());
    if (notice == nullptr)
        return;
    std::uint32_t slot = 0;
    std::memcpy(&slot, notice + kPackageNoticeSize, sizeof slot);
    offset = slot;
    HANDLE file = CreateFileA(setupPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    g_setup->fileTree = ClTreeCreate();
    g_setup->setupTree = ClTreeCreate();
    ok = PackageLoadDirectory(file, offset, g_setup->fileTree, &info, g_setup->setupTree, nullptr,
                              nullptr) != 0;
    CloseHandle(file);
}

CLoadedPackage::~CLoadedPackage() {
    ClTreeDestroy(g_setup->fileTree);
    ClTreeDestroy(g_setup->setupTree);
    g_setup->fileTree = g_setup->setupTree = nullptr;
}

bool WriteDamagedEntryCopy(const std::string& setup, const char* itemPath,
                           const std::string& damaged) {
    CLoadedPackage package(setup);
    ClTreeNode* item = ClTreeFindPath(g_setup->fileTree, nullptr, itemPath, "\\", 0);
    SFileRecord record;
    if (item == nullptr || !FileRecordRead(item->data, item->length, 0, &record))
        return false;
    std::string bytes = ReadWholeFile(setup);
    if (record.entryOffset + 8 >= bytes.size())
        return false;
    bytes[record.entryOffset + 8] = '\x7F';  // no chain of the codec
    return WriteWholeFile(damaged, bytes);
}

CTestPage::CTestPage() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    hostClass.lpszClassName = kHostClass;
    RegisterClassA(&hostClass);
    host = CreateWindowA(kHostClass, "progress page", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40,
                         40, 600, 420, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS_PAGE), host,
                              PageProc, 0);
    // A sheet shows its pages without their captions.
    SetWindowLongA(page, GWL_STYLE, GetWindowLongA(page, GWL_STYLE) & ~WS_CAPTION);
    EnableWindow(page, TRUE);
    SetWindowPos(page, nullptr, 12, 12, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ShowWindow(page, SW_SHOW);
    Attach(page, GetModuleHandleA(nullptr));
}

CTestPage::~CTestPage() {
    DestroyWindow(host);
}

void CTestPage::SetStatus(StatusLine line, const char* text) {
    CProgressPageControls::SetStatus(line, text);
    if (line == LINE_DETAIL)
        details.push_back(text);
}

void CTestPage::RunFinished(SInstallPageTracker*) {
    finished = true;
}

CInstallSession::CInstallSession(CLoadedPackage& package, int custom) {
    codec.Initialize();
    listBuffer.resize(kTextLineBufferSize + 1);
    char list[MAX_PATH];
    GetWindowsDirectoryA(list, sizeof list);
    std::strcat(list, kPendingDeletionFile);
    pendingList = CreateFileA(list, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                    0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sharedDlls, nullptr);
    SInstallRunContext context{};
    context.info = &package.info;
    context.codec = &codec;
    context.pendingList = pendingList;
    context.listBuffer = listBuffer.data();
    context.listBufferSize = kTextLineBufferSize;
    context.sharedDlls = sharedDlls;
    context.packageOffset = package.offset;
    context.custom = custom;
    run = new CInstallPageTracker(context);
}

CInstallSession::~CInstallSession() {
    delete run;
    if (pendingList != INVALID_HANDLE_VALUE)
        CloseHandle(pendingList);
    RegCloseKey(sharedDlls);
}

std::string CInstallSession::State() {
    return DumpTree(run->logTree) + "--\n" + DumpTree(run->runLogTree);
}

void CInstallSession::Run() {
    CBoxAnswerer answerer;
    prepared = run->AttachPage(&page) != 0;
    if (prepared && !page.finished) {
        run->Start();
        while (!page.finished && !failed) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            std::string before = State();
            if (!run->Step()) {
                failed = true;
                stateBeforeFailure = before;
                stateAfterFailure = State();
            }
        }
    }
    boxes = answerer.Stop();
}
