#include "setupinfo/setup_info_item_text.h"

int SetupInfoSetItemText(const SSetupInfo* info, HWND dialog, int controlId, int number) {
    if (number < 0 || number >= kSetupInfoTextCount)
        return 0;
    HWND control = GetDlgItem(dialog, controlId);
    if (control == nullptr)
        return 0;
    const char* text = info->texts[number];
    return SetWindowTextA(control, text != nullptr ? text : "") ? 1 : 0;
}
