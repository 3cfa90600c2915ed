// The window and dialog classes on real windows, in the cases the wizard never meets: owners
// disabled beforehand, a window that destroys itself, WM_QUIT, a user-data slot in use, an
// object deleted while it subclasses, templates that are missing or send commands early.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/ui/ui_test_ids.h"
#include "ui/dialog.h"
#include "ui/modal_helpers.h"
#include "ui/window_base.h"

namespace {

constexpr UINT kEndWith7 = WM_APP;
constexpr UINT kDestroyMe = WM_APP + 1;

HWND MakeWindow(DWORD style, HWND parent) {
    return CreateWindowExA(0, "STATIC", "test", style, 10, 10, 200, 100, parent, nullptr, nullptr,
                           nullptr);
}

// Ends its loop with 7 or destroys its window when asked; notes whether the owners were
// enabled meanwhile.
class ProbeWindow : public ClWindowBase {
  public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kEndWith7) {
            for (HWND owner : owners)
                enabledInside.push_back(IsWindowEnabled(owner) != 0);
            EndModal(7);
        } else if (msg == kDestroyMe) {
            DestroyWindow(GetHwnd());
        }
        return ClWindowBase::WindowProc(msg, wParam, lParam);
    }
    std::vector<HWND> owners;
    std::vector<bool> enabledInside;
};

TEST(WindowBase, ModalLoopsAndSubclassingInTheRareCases) {
    // Chain: child -> popup owner1 -> popup owner0; owner0 is disabled before the loop.
    HWND owner0 = MakeWindow(WS_POPUP, nullptr);
    HWND owner1 = MakeWindow(WS_POPUP, owner0);
    HWND child = MakeWindow(WS_CHILD, owner1);
    EnableWindow(owner0, FALSE);
    ProbeWindow probe;
    probe.owners = {owner1, owner0};
    ASSERT_TRUE(probe.Attach(MakeWindow(WS_POPUP, owner1), TRUE));
    ASSERT_TRUE(probe.Subclass());
    PostMessageA(probe.GetHwnd(), kEndWith7, 0, 0);
    EXPECT_EQ(probe.RunModal(child), 7);
    EXPECT_EQ(probe.enabledInside, (std::vector<bool>{false, false}));
    EXPECT_TRUE(IsWindowEnabled(owner1)) << "enabled before, so enabled again";
    EXPECT_FALSE(IsWindowEnabled(owner0)) << "disabled before, so it stays disabled";

    // Destroyed by its own handler: the loop ends at the next idle turn, with nothing else in
    // the queue.
    PostMessageA(probe.GetHwnd(), kDestroyMe, 0, 0);
    EXPECT_EQ(probe.RunModal(child), kModalWindowGone);
    EXPECT_EQ(probe.GetHwnd(), nullptr);
    DestroyWindow(owner0);

    // WM_QUIT ends the loop and stays in the queue for the caller's loop.
    ASSERT_TRUE(probe.Attach(MakeWindow(WS_POPUP, nullptr), TRUE));
    ASSERT_TRUE(probe.Subclass());
    PostQuitMessage(5);
    EXPECT_EQ(probe.RunModal(nullptr), kModalQuit);
    EXPECT_FALSE(PumpPendingMessages());
    MSG quit = {};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 5u);

    // A user-data slot in use is somebody else's; an object deleted while it subclasses a
    // window it does not own gives the window its procedure back.
    HWND taken = MakeWindow(WS_POPUP, nullptr);
    const LONG_PTR procedure = GetWindowLongPtrA(taken, GWLP_WNDPROC);
    SetWindowLongPtrA(taken, GWLP_USERDATA, 1234);
    auto* other = new ProbeWindow;
    ASSERT_TRUE(other->Attach(taken, FALSE));
    EXPECT_FALSE(other->Subclass());
    EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_WNDPROC), procedure);
    SetWindowLongPtrA(taken, GWLP_USERDATA, 0);
    ASSERT_TRUE(other->Subclass());
    delete other;
    EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_WNDPROC), procedure);
    EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_USERDATA), 0);
    SendMessageA(taken, kEndWith7, 0, 0);  // would reach the deleted object otherwise
    DestroyWindow(taken);
}

// Sends WM_COMMAND (its own id, notification 7) to its parent while it is created.
LRESULT CALLBACK EarlyCommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), 7),
                     reinterpret_cast<LPARAM>(hwnd));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(Dialog, MissingTemplatesEarlyCommandsAndNoObject) {
    ClDialog missing(nullptr, GetModuleHandleA(nullptr));
    EXPECT_EQ(missing.DoModal(IDD_MISSING), 0);
    EXPECT_FALSE(missing.Create(IDD_MISSING, nullptr));
    EXPECT_EQ(missing.GetHwnd(), nullptr);

    // A command that arrives before WM_INITDIALOG ends the dialog with its whole wParam.
    WNDCLASSA early = {};
    early.lpfnWndProc = EarlyCommandProc;
    early.hInstance = GetModuleHandleA(nullptr);
    early.lpszClassName = "EarlyCommand";
    RegisterClassA(&early);
    ClDialog ended(nullptr, GetModuleHandleA(nullptr));
    EXPECT_EQ(ended.DoModal(IDD_EARLY_COMMAND), MAKEWPARAM(IDC_EARLY_COMMAND, 7));

    // A dialog without an object ends with 0.
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_DIALOG), nullptr,
                              ClDialog::StaticDialogProc, 0),
              0);
}

}  // namespace
