// The demo's user: installs the example product through a custom install and uninstalls it
// again when the system's uninstaller starts the wizard, saving a picture of the screen at
// every page and dialog (BMP files, named in the order they were taken).
//   demo_pilot install SETUP.EXE FOLDER   a custom install, with a new folder whose name holds 表
//   demo_pilot uninstall FOLDER           follows the uninstall wizard that another program started
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "resources/install_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

std::string g_folder;
int g_shots = 0;

// Lets the program paint what it was told, then saves the whole screen as FOLDER\NN-name.bmp.
void Shoot(const std::string& name) {
    Sleep(700);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header = {sizeof header, width, height, 1, 24, BI_RGB};
    const std::size_t rowSize = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::string pixels(rowSize * static_cast<std::size_t>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", ++g_shots);
    WriteWholeFile(g_folder + "\\" + number + name + ".bmp", bytes + pixels);
    std::printf("demo: %s%s\n", number, name.c_str());
    std::fflush(stdout);
}

bool Fail(const char* what) {
    std::printf("demo: %s\n", what);
    return false;
}

// The threads of a process, held while the screen is taken so that a run caught half-way is
// shown half-way. They are opened beforehand: holding them must be quick.
std::vector<ClKernelHandle> ThreadsOf(DWORD processId) {
    std::vector<ClKernelHandle> threads;
    ClKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {sizeof entry};
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == processId)
            threads.emplace_back(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    }
    return threads;
}

// Presses Next into the progress page and takes the screen once while the run is half-way.
// Messages sent to the program are answered between two steps of its run, so polling without
// pause sees every position of the bar; the first picture is taken at the first one between
// the ends.
bool ShootProgress(CWizardPilot& wizard, const std::string& name) {
    const std::vector<ClKernelHandle> threads = ThreadsOf(wizard.processId);
    wizard.PressSheetButton(kNext);
    bool shot = false;
    const DWORD start = GetTickCount();
    while (!shot && GetTickCount() - start < 20000) {
        HWND bar = GetDlgItem(wizard.Page(), IDC_PROGRESS_MIDDLE);
        if (bar == nullptr)
            continue;
        const LRESULT range = Ask(bar, PBM_GETRANGE, FALSE), position = Ask(bar, PBM_GETPOS);
        if (position > 0 && position < range) {
            for (const ClKernelHandle& thread : threads)
                SuspendThread(thread.get());
            Shoot(name + "-running");
            for (const ClKernelHandle& thread : threads)
                ResumeThread(thread.get());
            shot = true;
        } else if (position >= range && range > 0) {
            break;  // the run was done before it was seen half-way
        }
    }
    if (!WaitUntil(
            [&] { return wizard.SheetButtonEnabled(kNext) || wizard.SheetButtonEnabled(kFinish); }))
        return false;
    Shoot(name + "-done");
    return true;
}

// The notepad that the install opens for the read-me file covers the wizard: it is closed.
void CloseNotepad() {
    WaitUntil([] { return FindWindowA("Notepad", nullptr) != nullptr; }, 5000);
    while (HWND notepad = FindWindowA("Notepad", nullptr)) {
        PostMessageA(notepad, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindow(notepad); }, 5000);
    }
}

bool Install(const std::string& setup) {
    CWizardPilot wizard(Quoted(setup));
    if (!wizard.WaitForSheet())
        return Fail("the wizard did not appear");
    Shoot("warning");
    if (!wizard.Next("licence"))
        return Fail("no licence page");
    wizard.Click(IDC_AGREE);
    WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); });
    Shoot("licence");
    if (!wizard.Next("mode"))
        return Fail("no mode page");
    wizard.Click(IDC_MODE_CUSTOM);
    Shoot("mode");
    if (!wizard.Next("items"))
        return Fail("no item page");
    // The sample data, which only a custom install offers, goes in and the help stays out:
    // their group shows partly checked.
    HWND tree = wizard.Control(IDC_ITEMS_TREE);
    HTREEITEM extra = wizard.Find(tree, nullptr, Sjis("追加機能"));
    HTREEITEM sample = wizard.Find(tree, extra, Sjis("サンプルデータ"));
    if (sample == nullptr)
        return Fail("no sample component");
    wizard.ClickImage(tree, sample);
    wizard.ClickImage(tree, wizard.Find(tree, extra, Sjis("ヘルプ")));
    wizard.Select(tree, wizard.Find(tree, extra, Sjis("ヘルプ")));
    Shoot("items");
    if (!wizard.Next("dest"))
        return Fail("no destination page");
    Shoot("destination");

    HWND browser = wizard.OpenDialog(IDC_DEST_FOLDER_CHANGE, IDC_FOLDER_TREE);
    if (browser == nullptr)
        return Fail("no folder browser");
    Shoot("folder-browser");
    HWND ask = wizard.TypeNewFolder(browser, Sjis("家計簿表"));
    Shoot("make-folder");
    PressToClose(ask, IDOK);
    Shoot("folder-browser-new-folder");
    PressToClose(browser, IDOK);
    Shoot("destination-chosen");

    browser = wizard.OpenDialog(IDC_DEST_GROUP_CHANGE, IDC_FOLDER_TREE);
    if (browser == nullptr)
        return Fail("no group browser");
    Shoot("group-browser");
    PressToClose(browser, IDCANCEL);

    if (!wizard.Next("start"))
        return Fail("no start page");
    Shoot("start");
    if (!ShootProgress(wizard, "progress"))
        return Fail("the install did not end");
    CloseNotepad();
    if (!wizard.Next("finish"))
        return Fail("no finish page");
    Shoot("finish");
    wizard.PressSheetButton(kFinish);
    return wizard.WaitForExit() == 0 || Fail("the wizard did not end");
}

bool Uninstall() {
    DWORD processId = FindWizardProcess(Sjis("かんたん家計簿 アンインストール"), 60000);
    if (processId == 0)
        return Fail("the uninstall wizard did not appear");
    CWizardPilot wizard(processId);
    if (!wizard.WaitForSheet())
        return Fail("the uninstall wizard went away");
    Shoot("uninstall-start");
    if (!ShootProgress(wizard, "uninstall-progress"))
        return Fail("the uninstall did not end");
    if (!wizard.Next("finish"))
        return Fail("no uninstall finish page");
    Shoot("uninstall-finish");
    wizard.PressSheetButton(kFinish);
    return wizard.WaitForExit(20000) >= 0 || Fail("the uninstall wizard did not end");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "install" && argc == 4) {
        g_folder = argv[3];
        return Install(argv[2]) ? 0 : 1;
    }
    if (mode == "uninstall" && argc == 3) {
        g_folder = argv[2];
        g_shots = 50;
        return Uninstall() ? 0 : 1;
    }
    std::printf("usage: demo_pilot install SETUP.EXE FOLDER | uninstall FOLDER\n");
    return 2;
}
