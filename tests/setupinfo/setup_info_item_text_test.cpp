#include "setupinfo/setup_info_item_text.h"

#include <gtest/gtest.h>

#include "base/win_handles.h"

namespace {

TEST(SetupInfoSetItemText, SetsTheControlOfTheDialog) {
    ClWindow dialog(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    nullptr, nullptr));
    HWND control = CreateWindowExA(0, "STATIC", "old", WS_CHILD, 0, 0, 50, 20, dialog.get(),
                                   reinterpret_cast<HMENU>(1035), nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    const char start[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B";  // インストール
    SSetupInfo info;
    ASSERT_EQ(SetupInfoSetText(&info, TEXT_INSTALL_START, start), 1);
    char text[64] = {};
    EXPECT_EQ(SetupInfoSetItemText(&info, dialog.get(), 1035, TEXT_INSTALL_START), 1);
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ(text, start);
    EXPECT_EQ(SetupInfoSetItemText(&info, dialog.get(), 1035, TEXT_UNINSTALL_START), 1);
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ(text, "") << "a null text clears the control";
    EXPECT_EQ(SetupInfoSetItemText(&info, dialog.get(), 1036, TEXT_INSTALL_START), 0);
    EXPECT_EQ(SetupInfoSetItemText(&info, dialog.get(), 1035, kSetupInfoTextCount), 0);
}

}  // namespace
