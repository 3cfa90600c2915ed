// CGetFolderMakeDialog: asks for the name of a new folder below the one selected in the folder
// browser (ui/folder_dialog.h). User-interface thread only.
#pragma once

#include <windows.h>

#include "ui/dialog.h"

// The bytes a new folder's name may take, with its terminator.
constexpr int kFolderNameSize = 270;

class CGetFolderMakeDialog : public ClDialog {
  public:
    // nameLimit: the longest name the edit accepts. editId: the name edit of the template;
    // captionId and messageId: the strings of the forbidden-character message.
    CGetFolderMakeDialog(HWND owner, HINSTANCE instance, int nameLimit, WORD editId, WORD captionId,
                         WORD messageId);

    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Takes the name: ends with 1, or with 2 after telling the user that it holds a forbidden
    // character.
    void OnOK() override;
    void OnCancel() override;

    // The name typed, valid after the dialog ended with 1.
    const char* Name() const { return name_; }

  private:
    char name_[kFolderNameSize] = {};
    int nameLimit_;
    WORD editId_;
    WORD captionId_;
    WORD messageId_;
};

// The characters that no folder name may contain, in the order the message lists them.
extern const char kForbiddenNameCharacters[];
// 1 when name holds one of kForbiddenNameCharacters as a character of its own; the trail byte
// of a double-byte character (the 5C of 表, the 7C of each) is part of that character.
int HasForbiddenNameCharacter(const char* name);
