// Run-mode bits of SSetupContext.runFlags; the run mode is runFlags & 7.
#pragma once

#include <cstdint>

constexpr std::uint8_t RUN_UNINSTALL = 0x01;  // "/U"
constexpr std::uint8_t RUN_RESTART = 0x02;    // "/R"
constexpr std::uint8_t RUN_UPDATE = 0x10;     // the package updates an installed product

constexpr std::uint8_t RUN_MODE_INSTALL = 0;
constexpr std::uint8_t RUN_MODE_UNINSTALL = RUN_UNINSTALL;
constexpr std::uint8_t RUN_MODE_RESTART = RUN_RESTART;

inline std::uint8_t RunMode(std::uint8_t runFlags) {
    return runFlags & 7;
}
