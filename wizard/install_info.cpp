#include "wizard/install_info.h"

#include "setupinfo/setup_info.h"

namespace {

std::string TextOf(const SSetupInfo* info, int number) {
    const char* text = info->texts[number];
    return text != nullptr ? text : "";
}

}  // namespace

void CInstallInfo::Load(const SSetupInfo* info) {
    folder = TextOf(info, TEXT_INSTALL_PATH);
    group = TextOf(info, TEXT_PUBLISHER);
    installFolderMacro = info->installFolderMacro;
    registryRootMacro = info->registryRootMacro;
}

SInstallChoice CInstallInfo::Choice() const {
    return SInstallChoice{folder.c_str(), group.c_str(), installFolderMacro, registryRootMacro};
}
