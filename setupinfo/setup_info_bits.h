// Bit numbers of the two bit sets of SSetupInfo and the numbers of its texts. The setup program
// and the host tool that writes packages share them.
#pragma once

// Page bits: which wizard pages a package shows.
constexpr int PAGE_WARNING = 0;
constexpr int PAGE_LICENCE = 1;
constexpr int PAGE_MODE = 2;  // standard or custom selection
constexpr int PAGE_ITEMS = 4;
constexpr int PAGE_START = 5;
constexpr int PAGE_PROGRESS = 6;
constexpr int PAGE_FINISH = 7;
constexpr int PAGE_DEST_FOLDER = 9;
constexpr int PAGE_DEST_GROUP = 10;

// Option bits.
constexpr int OPT_GROUP_LOCKED = 1;  // fixed start-menu group and no program-menu shortcuts
constexpr int OPT_RESTART_INSTALL = 2;
constexpr int OPT_NO_RESTART_PROMPT = 3;
constexpr int OPT_SINGLE_INSTANCE = 6;  // refuse to install over an existing installation
constexpr int OPT_NO_UNINSTALL = 7;
constexpr int OPT_NO_DESKTOP_SHORTCUTS = 8;
constexpr int OPT_NO_AGREEMENT = 9;  // licence page without agree and disagree buttons
constexpr int OPT_REINSTALL_NO_LICENCE = 13;
constexpr int OPT_RESTART_UNINSTALL = 14;
constexpr int OPT_KEEP_INSTALL_FOLDER_KEYS = 15;  // install-folder keys not logged for removal
constexpr int OPT_UPDATE = 16;
constexpr int OPT_AUTO_INSTALL = 17;
constexpr int OPT_AUTO_UNINSTALL = 18;

// The texts of a record, by number.
constexpr int kSetupInfoTextCount = 22;
enum SetupInfoText {
    TEXT_NOTICE = 0,
    TEXT_LICENCE = 1,
    TEXT_INSTALL_PATH = 2,  // relative to the install-folder macro
    TEXT_PUBLISHER = 3,     // also the default program-menu group
    TEXT_INSTALL_START = 4,
    TEXT_UNINSTALL_DONE = 5,
    TEXT_SIMPLE_MODE = 6,
    TEXT_CUSTOM_MODE = 7,
    TEXT_SHORT_NAME = 8,
    TEXT_INSTALL_DONE = 9,
    TEXT_RESTART_NOW = 10,
    TEXT_RESTART_LATER = 11,
    TEXT_INSTALL_TITLE = 12,
    TEXT_DISPLAY_NAME = 13,
    TEXT_UNINSTALL_KEY = 14,  // key name below ...\CurrentVersion\Uninstall
    TEXT_UNINSTALL_DISPLAY_NAME = 15,
    TEXT_UNINSTALL_TITLE = 16,
    TEXT_UNINSTALL_START = 17,
    TEXT_FOLDER_KEY = 18,    // registry key of the "RV" macro
    TEXT_FOLDER_VALUE = 19,  // registry value of the "RV" macro
    TEXT_FOLDER_VALUE_MISSING = 20,
    TEXT_DATA_FILE = 21,  // uninstall data file, relative to the install folder
};
