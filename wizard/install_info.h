// CInstallInfo: the destination the user chose in the wizard: install folder and program-menu
// group, with the folder macros they are relative to.
#pragma once

#include <cstdint>
#include <string>

#include "install/install_run.h"

struct SSetupInfo;

class CInstallInfo {
  public:
    virtual ~CInstallInfo() = default;

    // Copies the install path (text 2), the group (text 3) and the two macro bytes of info.
    void Load(const SSetupInfo* info);
    // The choice as the install run stores it back into the setup information; valid while
    // this object is unchanged.
    SInstallChoice Choice() const;

    std::string folder;  // relative to installFolderMacro; absolute with NN
    std::string group;
    std::uint8_t installFolderMacro = 0;
    std::uint8_t registryRootMacro = 0;
};
