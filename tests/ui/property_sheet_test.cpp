// A wizard-style property sheet on the virtual display, driven from its own idle hook: pages
// added and removed while it is open, the Next hook, and the system-menu close.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "tests/ui/ui_test_ids.h"
#include "ui/property_page.h"
#include "ui/property_sheet.h"

namespace {

class ProbePage : public ClPropertyPageBase {
  public:
    explicit ProbePage(WORD templateId = IDD_TEST_PAGE)
        : ClPropertyPageBase(templateId, GetModuleHandleA(nullptr)) {}
    UINT OnPageRelease(PROPSHEETPAGEA*) override {
        ++released;
        return 1;
    }
    int released = 0;
};

// Runs one scripted step per idle turn; a script that runs out ends the sheet with 99.
class ScriptedSheet : public ClPropertySheet {
  public:
    ScriptedSheet() : ClPropertySheet(GetModuleHandleA(nullptr)) {}
    void OnIdle() override {
        if (next < steps.size())
            steps[next++]();
        else
            EndSheet(99);
    }
    int OnWizNext(HWND, WORD, WORD) override {
        ++nextCalls;
        return allowNext;
    }
    // The pages the control itself holds.
    int ControlPageCount() {
        HWND tab = reinterpret_cast<HWND>(SendMessageA(GetHwnd(), PSM_GETTABCONTROL, 0, 0));
        return static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    }
    void ClickNext() { SendMessageA(::GetDlgItem(GetHwnd(), ID_PSNEXT), BM_CLICK, 0, 0); }

    std::vector<std::function<void()>> steps;
    std::size_t next = 0;
    int nextCalls = 0;
    int allowNext = 1;
};

TEST(WizardSheet, PagesComeAndGoWhileTheWizardRuns) {
    ScriptedSheet sheet;
    sheet.Header().dwFlags |= PSH_WIZARD;
    ProbePage first, second, third;
    ProbePage missing(IDD_MISSING);
    ASSERT_TRUE(sheet.AddPage(&first));
    ASSERT_TRUE(sheet.AddPage(&second));
    EXPECT_FALSE(sheet.AddPage(&first)) << "a page is listed once";
    EXPECT_FALSE(sheet.AddPage(nullptr));
    EXPECT_EQ(sheet.PageCount(), 2);
    EXPECT_EQ(first.GetSheet(), &sheet);

    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND sheetWindow = nullptr;
    sheet.steps = {
        [&] {
            sheetWindow = sheet.GetHwnd();
            EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner is disabled while the sheet runs";
            EXPECT_EQ(sheet.ControlPageCount(), 2);
            EXPECT_EQ(sheet.GetCurrentPageHwnd(), first.GetHwnd());
            EXPECT_EQ(GetWindowLongPtrA(first.GetHwnd(), DWLP_USER),
                      reinterpret_cast<LONG_PTR>(&first));
        },
        [&] {
            EXPECT_TRUE(sheet.AddPage(&third));
            EXPECT_EQ(sheet.ControlPageCount(), 3);
            EXPECT_FALSE(sheet.AddPage(&third));
            EXPECT_EQ(sheet.ControlPageCount(), 3) << "a page already present reaches no control";
            // The control refuses a page without template; the list stays in step with it.
            EXPECT_FALSE(sheet.AddPage(&missing));
            EXPECT_EQ(sheet.ControlPageCount(), 3);
            EXPECT_EQ(sheet.PageCount(), 3);
            EXPECT_EQ(missing.GetSheet(), nullptr);
        },
        [&] {
            sheet.allowNext = 0;
            sheet.ClickNext();
            EXPECT_EQ(sheet.nextCalls, 1);
            EXPECT_EQ(sheet.GetCurrentPageHwnd(), first.GetHwnd()) << "Next refused: page kept";
        },
        [&] {
            sheet.allowNext = 1;
            sheet.ClickNext();
            EXPECT_EQ(sheet.nextCalls, 2);
            ASSERT_NE(second.GetHwnd(), nullptr);
            EXPECT_EQ(sheet.GetCurrentPageHwnd(), second.GetHwnd());
        },
        [&] {
            sheet.RemovePage(0);
            EXPECT_EQ(sheet.ControlPageCount(), 2);
            EXPECT_EQ(sheet.PageCount(), 2);
            EXPECT_EQ(sheet.GetPage(0), &second);
            EXPECT_EQ(first.GetSheet(), nullptr);
            EXPECT_EQ(first.GetHwnd(), nullptr) << "the control destroyed the removed page";
            EXPECT_EQ(first.released, 1);
            sheet.RemovePage(2);
            sheet.RemovePage(-1);
            EXPECT_EQ(sheet.ControlPageCount(), 2);
            EXPECT_EQ(sheet.GetCurrentPageHwnd(), second.GetHwnd());
        },
        [&] { SendMessageA(sheet.GetHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    EXPECT_EQ(sheet.Run(owner), 2) << "the system-menu close ends the sheet with 2";
    EXPECT_EQ(sheet.next, sheet.steps.size());
    EXPECT_EQ(sheet.GetHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(sheetWindow));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(second.GetHwnd(), nullptr);
    EXPECT_EQ(second.released, 1);
    EXPECT_EQ(third.released, 1);
    DestroyWindow(owner);
}

}  // namespace
