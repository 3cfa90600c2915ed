// The window and dialog classes on real windows: the modal loop, subclassing and dialogs from
// templates, driven by posted and sent messages.
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
constexpr UINT kAfterEnd = WM_APP + 2;

HWND MakeWindow(DWORD style, HWND parent) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "UiTestWindow";
    RegisterClassA(&windowClass);  // fails harmlessly once registered
    return CreateWindowExA(0, "UiTestWindow", "test", style, 10, 10, 200, 100, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Records what the subclassed window saw and how the owner chain looked meanwhile.
class ProbeWindow : public ClWindowBase {
  public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= WM_APP)
            seen.push_back(msg);
        if (msg == kEndWith7) {
            for (HWND owner : owners)
                enabledInside.push_back(IsWindowEnabled(owner) != 0);
            EndModal(7);
            PostMessageA(GetHwnd(), kAfterEnd, 0, 0);
        } else if (msg == kDestroyMe) {
            DestroyWindow(GetHwnd());
        }
        return ClWindowBase::WindowProc(msg, wParam, lParam);
    }

    std::vector<HWND> owners;
    std::vector<bool> enabledInside;
    std::vector<UINT> seen;
};

TEST(ModalLoop, EndsAndRestoresTheOwnerChain) {
    // Chain: child -> popup owner1 -> popup owner0; owner0 is disabled before the loop.
    HWND owner0 = MakeWindow(WS_POPUP, nullptr);
    HWND owner1 = MakeWindow(WS_POPUP, owner0);
    HWND child = MakeWindow(WS_CHILD, owner1);
    EnableWindow(owner0, FALSE);
    EXPECT_EQ(GetTopLevelWindow(child), owner1) << "the walk stops at the first popup";
    EXPECT_EQ(GetTopLevelWindow(owner1), owner1);
    EXPECT_EQ(GetTopLevelWindow(nullptr), nullptr);

    ProbeWindow probe;
    probe.owners = {owner1, owner0};
    ASSERT_TRUE(probe.Attach(MakeWindow(WS_POPUP, owner1), TRUE));
    ASSERT_TRUE(probe.Subclass());

    PostMessageA(probe.GetHwnd(), kEndWith7, 0, 0);
    EXPECT_EQ(probe.RunModal(child), 7);
    EXPECT_EQ(probe.enabledInside, (std::vector<bool>{false, false}));
    EXPECT_TRUE(IsWindowEnabled(owner1)) << "enabled before, so enabled again";
    EXPECT_FALSE(IsWindowEnabled(owner0)) << "disabled before, so it stays disabled";
    EXPECT_EQ(probe.seen, (std::vector<UINT>{kEndWith7, kAfterEnd}))
        << "a message posted after the end request is still dispatched";

    // The window destroyed by its own handler: the loop ends at the next idle turn, even with
    // nothing else in the queue.
    HWND bound = probe.GetHwnd();
    PostMessageA(bound, kDestroyMe, 0, 0);
    EXPECT_EQ(probe.RunModal(child), kModalWindowGone);
    EXPECT_FALSE(IsWindow(bound));
    EXPECT_EQ(probe.GetHwnd(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner1));
    EXPECT_FALSE(IsWindowEnabled(owner0));

    // WM_QUIT ends the loop and stays in the queue; the pump stops in front of it.
    ASSERT_TRUE(probe.Attach(MakeWindow(WS_POPUP, nullptr), TRUE));
    ASSERT_TRUE(probe.Subclass());
    PostQuitMessage(5);
    EXPECT_EQ(probe.RunModal(nullptr), kModalQuit);
    probe.seen.clear();
    PostMessageA(probe.GetHwnd(), kAfterEnd, 0, 0);
    EXPECT_FALSE(PumpPendingMessages());
    EXPECT_EQ(probe.seen, std::vector<UINT>{kAfterEnd}) << "messages before WM_QUIT are dispatched";
    MSG quit = {};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 5u);
    EXPECT_TRUE(PumpPendingMessages());

    DestroyWindow(owner0);
}

TEST(Subclassing, RespectsTheUserDataSlotAndObjectLifetimes) {
    HWND taken = MakeWindow(WS_POPUP, nullptr);
    SetWindowLongPtrA(taken, GWLP_USERDATA, 1234);
    const LONG_PTR procedure = GetWindowLongPtrA(taken, GWLP_WNDPROC);
    {
        ProbeWindow probe;
        ASSERT_TRUE(probe.Attach(taken, FALSE));
        EXPECT_FALSE(probe.Subclass()) << "the slot belongs to somebody else";
        EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_USERDATA), 1234);
        EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_WNDPROC), procedure);
        EXPECT_FALSE(probe.Attach(reinterpret_cast<HWND>(0x1234), FALSE));
    }
    EXPECT_TRUE(IsWindow(taken)) << "a window the object does not own survives it";

    // An object deleted while it subclasses a window it does not own lets go of the window.
    SetWindowLongPtrA(taken, GWLP_USERDATA, 0);
    auto* probe = new ProbeWindow;
    probe->Attach(taken, FALSE);
    ASSERT_TRUE(probe->Subclass());
    EXPECT_NE(GetWindowLongPtrA(taken, GWLP_WNDPROC), procedure);
    delete probe;
    EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_WNDPROC), procedure);
    EXPECT_EQ(GetWindowLongPtrA(taken, GWLP_USERDATA), 0);
    SendMessageA(taken, kEndWith7, 0, 0);  // would reach the deleted object otherwise

    // An owning object takes its window with it, subclassed or not.
    probe = new ProbeWindow;
    probe->Attach(taken, TRUE);
    probe->Subclass();
    delete probe;
    EXPECT_FALSE(IsWindow(taken));
}

// Counts what the dialog saw; ends itself from WM_INITDIALOG when asked to.
class ProbeDialog : public ClDialog {
  public:
    ProbeDialog() : ClDialog(nullptr, GetModuleHandleA(nullptr)) {}
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_INITDIALOG) {
            ++initDialogs;
            if (postOnInit)
                PostMessageA(GetHwnd(), WM_COMMAND, postOnInit, 0);
        }
        return ClDialog::DialogProc(msg, wParam, lParam);
    }
    int initDialogs = 0;
    WPARAM postOnInit = 0;
};

// Sends WM_COMMAND (its own id, notification 7) to its parent while it is created.
LRESULT CALLBACK EarlyCommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), 7),
                     reinterpret_cast<LPARAM>(hwnd));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(Dialogs, FromTemplatesModalAndModeless) {
    ProbeDialog missing;
    EXPECT_EQ(missing.DoModal(IDD_MISSING), 0);
    EXPECT_FALSE(missing.Create(IDD_MISSING, nullptr));
    EXPECT_EQ(missing.GetHwnd(), nullptr);

    // Ended by its buttons' commands, and the focus comes back to where it was.
    HWND frame = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, frame, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetFocus(edit);
    ProbeDialog modal;
    modal.postOnInit = IDCANCEL;
    EXPECT_EQ(modal.DoModal(IDD_TEST_DIALOG), IDCANCEL);
    EXPECT_EQ(modal.initDialogs, 1);
    EXPECT_EQ(modal.GetHwnd(), nullptr);
    EXPECT_EQ(GetFocus(), edit);
    modal.postOnInit = IDOK;
    EXPECT_EQ(modal.DoModal(IDD_TEST_DIALOG), IDOK);

    // A command that arrives before WM_INITDIALOG ends the dialog with its whole wParam.
    WNDCLASSA early = {};
    early.lpfnWndProc = EarlyCommandProc;
    early.hInstance = GetModuleHandleA(nullptr);
    early.lpszClassName = "EarlyCommand";
    RegisterClassA(&early);
    ProbeDialog ended;
    EXPECT_EQ(ended.DoModal(IDD_EARLY_COMMAND), MAKEWPARAM(IDC_EARLY_COMMAND, 7));

    // A dialog without an object ends with 0.
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_DIALOG), nullptr,
                              ClDialog::StaticDialogProc, 0),
              0);

    // Modeless: bound and owned from WM_INITDIALOG on; the object destroys its window.
    HWND modeless = nullptr;
    {
        ProbeDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG, frame));
        modeless = dialog.GetHwnd();
        EXPECT_TRUE(IsWindow(modeless));
        EXPECT_EQ(GetWindowLongPtrA(modeless, DWLP_USER), reinterpret_cast<LONG_PTR>(&dialog));
        EXPECT_EQ(dialog.initDialogs, 1);
        EXPECT_TRUE(dialog.Destroy());
        EXPECT_FALSE(IsWindow(modeless));
        EXPECT_EQ(dialog.Destroy(), 0);
        ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG, frame));
        modeless = dialog.GetHwnd();
    }
    EXPECT_FALSE(IsWindow(modeless));
    DestroyWindow(frame);
}

}  // namespace
