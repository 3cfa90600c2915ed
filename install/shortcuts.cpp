// Desktop and program-menu shortcuts of installed files, written through the shell's link
// object and entered in both logs.
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "base/dbcs.h"
#include "base/folders.h"
#include "base/path_parts.h"
#include "base/safe_name.h"
#include "install/install_actions.h"
#include "install/install_log.h"
#include "install/install_run.h"
#include "package/layout/file_record.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"

namespace {

// The log data of a shortcut and of the folders made for it: no flags, no file index (the
// count takes its place in bytes 4 to 7).
constexpr std::uint8_t kShortcutEntry[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
// The same for the run log, counted 0.
constexpr std::uint8_t kShortcutRunEntry[8] = {0, 0, 0, 0, 0, 0, 0, 0};

struct SShortcut {
    const char* name;  // may have a folder part
    const char* description;
    const char* arguments;
};

// The folders between base and the link, made with the shortcut data: in the install log
// counted 1 whatever they held, so that the next uninstall removes them once they are empty; in
// the run log counted 0. keys receives the last ones (base's when below is empty).
int LogLinkFolders(CInstallPageTracker* run, const char* base, const char* below, SLogKeys* keys) {
    SLogKeys baseKeys;
    if (!LogChainPair(run->logTree, run->runLogTree, base, nullptr, &baseKeys))
        return 0;
    *keys = baseKeys;
    if (*below == '\0')
        return 1;
    ClTreeNodeInfo logTemplate{
        TN_DATA | TN_SPARE, nullptr, nullptr, const_cast<std::uint8_t*>(kShortcutEntry), 8, 4};
    ClTreeNodeInfo runTemplate = logTemplate;
    runTemplate.data = const_cast<std::uint8_t*>(kShortcutRunEntry);
    keys->log = LogCreateChain(run->logTree, baseKeys.log, below, &logTemplate);
    keys->run = LogCreateChain(run->runLogTree, baseKeys.run, below, &runTemplate);
    if (keys->log == nullptr || keys->run == nullptr)
        return 0;
    for (ClTreeNode* key = keys->log; key != baseKeys.log; key = key->parent) {
        if (std::uint32_t* count = LogCount(key))
            *count = 1;
    }
    return 1;
}

// One shortcut in base joined with group (null: none) and the name's folder part.
// expandFailure is the message for a folder that cannot be formed.
int MakeShortcut(CInstallPageTracker* run, const char* base, const char* group,
                 const SShortcut& shortcut, const char* target, unsigned expandFailure) {
    SSetupInfo* info = run->context.info;
    if (base[0] == '\0')
        return run->Fail(expandFailure);
    const char* name = shortcut.name[0] == '\\' ? shortcut.name + 1 : shortcut.name;
    // The folders below base: the group, then the name's folder part. The link is the name's
    // last part in the last of them.
    char below[kFolderPathSize] = "";
    int separator = LastCharIndex(name, '\\');
    const char* linkName = name + separator + 1;
    int written = std::snprintf(below, sizeof below, "%s%s%.*s", group ? group : "",
                                group && *group && separator > 0 ? "\\" : "",
                                separator > 0 ? separator : 0, name);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof below)
        return run->Fail(expandFailure);
    char folder[kFolderPathSize];
    if (*below != '\0' ? !JoinItemPath(info, base, below, folder)
                       : !ExpandFolderMacros(info, FolderMacro::OT, nullptr, base, folder))
        return run->Fail(expandFailure);
    if (!IsSafePathName(linkName))
        return run->Fail(IDS_DATA_MISSING);
    SLogKeys keys;
    if (!LogLinkFolders(run, base, below, &keys))
        return run->Fail(IDS_NO_MEMORY);
    if (!CreateFolderPath(folder, nullptr))
        return run->Fail(IDS_CANNOT_CREATE_FOLDER, folder);
    char link[kFolderPathSize];
    if (!ExpandFolderMacros(info, FolderMacro::OT, linkName, folder, link))
        return run->Fail(IDS_NO_MEMORY);
    run->ShowDetail(link);

    ClTreeNode* logged = LogFindEntry(keys.log, linkName, 0);
    SLogPair added{};
    if (logged == nullptr && !LogAddEntry(run->logTree, keys.log, run->runLogTree, keys.run,
                                          linkName, kShortcutEntry, 8, 0, &added))
        return run->Fail(IDS_NO_MEMORY);
    // A link recorded before is written again only when it has been deleted.
    bool exists = GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES;
    bool present = logged != nullptr && exists;
    if (!present && !WriteShellLink(run, target, link, shortcut.description, shortcut.arguments)) {
        LogRemoveEntry(run->logTree, run->runLogTree, &added);
        return run->Fail(IDS_SHORTCUT_FAILED);
    }
    if (!exists)
        LogMarkRun(added.run, RUN_CREATED);
    if (logged != nullptr)
        ++*LogCount(logged);
    return 1;
}

}  // namespace

int MakeShortcuts(CInstallPageTracker* run, ClTreeNode* fileEntry) {
    SFileRecord record;
    if ((fileEntry->flags & (TN_KEY | TN_NAMED | TN_DATA)) != (TN_NAMED | TN_DATA) ||
        !FileRecordRead(fileEntry->data, fileEntry->length, 0, &record))
        return 1;
    if (!(record.flags & (ITEM_DESKTOP_SHORTCUT | ITEM_MENU_SHORTCUT)) ||
        record.shortcutName == nullptr || record.shortcutName[0] == '\0')
        return 1;
    char target[kFolderPathSize];
    if (ClTreeGetPath(fileEntry, nullptr, "\\") > sizeof target)
        return run->Fail(IDS_PATH_TOO_LONG);
    ClTreeGetPath(fileEntry, target, "\\");
    SShortcut shortcut{record.shortcutName, record.shortcutDescription, record.shortcutArguments};
    SSetupInfo* info = run->context.info;
    if ((record.flags & ITEM_DESKTOP_SHORTCUT) &&
        !SetupInfoTestOption(info, OPT_NO_DESKTOP_SHORTCUTS) &&
        !MakeShortcut(run, run->folders[FolderMacro::DT], nullptr, shortcut, target,
                      IDS_DATA_MISSING))
        return 0;
    if ((record.flags & ITEM_MENU_SHORTCUT) && !SetupInfoTestOption(info, OPT_GROUP_LOCKED) &&
        !MakeShortcut(run, run->folders[FolderMacro::PM], info->texts[TEXT_PUBLISHER], shortcut,
                      target, IDS_NO_MEMORY))
        return 0;
    return 1;
}

int WriteShellLink(CInstallPageTracker* run, const char* target, const char* link,
                   const char* description, const char* arguments) {
    // The working folder is the target's own; a target in a drive's root keeps the root.
    char folder[kFolderPathSize];
    std::snprintf(folder, sizeof folder, "%s", target);
    CutLastPathPart(folder);
    if (std::strlen(folder) == 2 && folder[1] == ':')
        std::strcat(folder, "\\");
    IShellLinkA* shell = run->shellLink.get();
    shell->SetArguments(arguments ? arguments : "");
    shell->SetDescription(description ? description : "");
    shell->SetIconLocation(target, 0);
    shell->SetPath(target);
    shell->SetShowCmd(SW_SHOWNORMAL);
    shell->SetWorkingDirectory(folder);
    // A link object that cannot be saved has written nothing: a failure, not a success.
    ClComPtr<IPersistFile> file;
    WCHAR widePath[MAX_PATH];
    if (FAILED(shell->QueryInterface(IID_IPersistFile, file.OutVoid())) ||
        MultiByteToWideChar(CP_ACP, 0, link, -1, widePath, MAX_PATH) == 0)
        return 0;
    return SUCCEEDED(file->Save(widePath, TRUE)) ? 1 : 0;
}
