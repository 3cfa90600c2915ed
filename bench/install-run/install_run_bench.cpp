// Installs the package of a setup executable by stepping the install run to its end, hosted by
// the progress page and stepped in idle turns as the wizard does, and says where the time went:
// preparing, the steps that install files, the last step (registration and programs); then the same
// install without a window (what the page's painting costs), and the same entries decoded without
// installing anything, each into a new file (the decoder and the file creation) and all into one
// scratch file (the decoder alone).
//
// Usage: install_run_bench SETUP.EXE  (one tab-separated line per phase: name, files, bytes,
// seconds, MB/s, files/s)
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/file_stream.h"
#include "base/setup_context.h"
#include "base/win_handles.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "setupinfo/setup_info.h"
#include "tests/install/install_harness.h"
#include "tree/tree.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

void Report(const char* phase, unsigned files, unsigned long long bytes, double seconds) {
    std::printf("%s\t%u\t%llu\t%.3f\t%.1f\t%.0f\n", phase, files, bytes, seconds,
                seconds > 0 ? static_cast<double>(bytes) / seconds / 1e6 : 0.0,
                seconds > 0 ? files / seconds : 0.0);
}

// Every file entry of the package decoded, without installing anything: into one scratch file
// (the decoder's share), or each into a new file of a scratch folder (the decoder and the
// creation of the files). files and bytes count what was decoded; a negative time when an entry
// could not be decoded, so that no figure is reported for less than the whole package.
double DecodeOnly(const char* setupPath, bool newFiles, unsigned* files,
                  unsigned long long* bytes) {
    SCompress codec;
    codec.Initialize();
    ClFileHandle program(CreateFileA(setupPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char folder[MAX_PATH];
    char scratch[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "bch", 0, scratch);
    DeleteFileA(scratch);
    CreateDirectoryA(scratch, nullptr);
    std::snprintf(folder, sizeof folder, "%s", scratch);
    SFileStream* out = nullptr;
    bool failed = false;
    *files = 0;
    *bytes = 0;
    LARGE_INTEGER start = Now();
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(g_setup->fileTree); node != nullptr;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        SFileRecord record;
        std::uint64_t stored = 0;
        if ((node->flags & (TN_KEY | TN_DATA)) != TN_DATA ||
            !FileRecordRead(node->data, node->length, 0, &record) || record.kind != RECORD_FILE ||
            !PackageOpenEntry(program.get(), record.entryOffset, &stored, nullptr))
            continue;
        if (out == nullptr || newFiles) {
            std::snprintf(scratch, sizeof scratch, "%s\\%u", folder, *files);
            out = FileStreamOpen(scratch, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 newFiles ? 0 : FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        }
        std::uint64_t size = 0;
        if (out == nullptr || !FileStreamSeek(out, 0) ||
            !codec.ExpandEntry(program.get(), out, stored) || !FileStreamTell(out, &size)) {
            failed = true;
            break;
        }
        if (newFiles) {
            FileStreamClose(out);
            out = nullptr;
        }
        ++*files;
        *bytes += size;
    }
    double seconds = Seconds(start, Now());
    if (out)
        FileStreamClose(out);
    // One past the count: the file an entry failed to decode into.
    for (unsigned i = 0; newFiles && i <= *files; ++i) {
        std::snprintf(scratch, sizeof scratch, "%s\\%u", folder, i);
        DeleteFileA(scratch);
    }
    RemoveDirectoryA(folder);
    return failed ? -1 : seconds;
}

// A run without a window: what the install costs without the page's painting.
class CHiddenProgress : public IRunProgress {
  public:
    void SetBar(ProgressBar, std::uint32_t, std::uint32_t) override {}
    void StepBar(ProgressBar) override {}
    void SetStatus(StatusLine, const char*) override {}
    HWND Owner() override { return nullptr; }
    void CancelToClose() override {}
    void RunFinished(SInstallPageTracker*) override { finished = true; }
    bool finished = false;
};

struct SRunTimes {
    double prepare = 0, files = 0, registration = 0, total = 0, longestStep = 0;
};

// One install run of the package, stepped as the progress page steps it (in slices of an idle
// turn with painting held, when there is a page to paint); false if it failed.
bool TimeRun(CLoadedPackage& package, IRunProgress* progress, CProgressPageControls* page,
             const bool* finished, SRunTimes* times) {
    CInstallSession session(package);
    CInstallPageTracker& run = *session.run;
    LARGE_INTEGER start = Now();
    if (!run.AttachPage(progress))
        return false;
    LARGE_INTEGER prepared = Now();
    run.Start();
    LARGE_INTEGER lastFile = prepared;
    bool failed = false;
    auto step = [&] {
        LARGE_INTEGER before = Now();
        failed = !run.Step();
        LARGE_INTEGER after = Now();
        if (!failed && !*finished) {
            lastFile = after;
            if (Seconds(before, after) > times->longestStep)
                times->longestStep = Seconds(before, after);
        }
        return !failed && !*finished;
    };
    while (!*finished && !failed) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (page != nullptr)
            page->StepSlice(step);
        else
            step();
    }
    if (failed)
        return false;
    LARGE_INTEGER end = Now();
    times->prepare = Seconds(start, prepared);
    times->files = Seconds(prepared, lastFile);
    times->registration = Seconds(lastFile, end);
    times->total = Seconds(start, end);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: install_run_bench SETUP.EXE\n");
        return 2;
    }
    CoInitialize(nullptr);
    CLoadedPackage package(argv[1]);
    if (!package.ok)
        return 1;
    SRunTimes shown, hidden;
    CTestPage page;
    if (!TimeRun(package, &page, &page, &page.finished, &shown))
        return 1;
    // The same install once more into a folder and product of its own, without a window.
    std::string path = std::string(package.info.texts[TEXT_INSTALL_PATH]) + "-hidden";
    std::string product = std::string(package.info.texts[TEXT_UNINSTALL_KEY]) + "Hidden";
    SetupInfoSetText(&package.info, TEXT_INSTALL_PATH, path.c_str());
    SetupInfoSetText(&package.info, TEXT_UNINSTALL_KEY, product.c_str());
    CHiddenProgress windowless;
    if (!TimeRun(package, &windowless, nullptr, &windowless.finished, &hidden))
        return 1;
    unsigned files = 0;
    unsigned long long bytes = 0;
    double decodeNew = DecodeOnly(argv[1], true, &files, &bytes);
    double decode = DecodeOnly(argv[1], false, &files, &bytes);
    if (decodeNew < 0 || decode < 0) {
        std::fprintf(stderr, "install_run_bench: an entry of %s does not decode\n", argv[1]);
        return 1;
    }

    Report("install run", files, bytes, shown.total);
    Report("  prepare", 0, 0, shown.prepare);
    Report("  file steps", files, bytes, shown.files);
    Report("  registration", 0, 0, shown.registration);
    Report("  longest step", 0, 0, shown.longestStep);
    Report("install run, no window", files, bytes, hidden.total);
    Report("decoder into new files", files, bytes, decodeNew);
    Report("decoder alone", files, bytes, decode);
    return 0;
}
