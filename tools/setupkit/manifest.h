// The product a manifest describes, after parsing: texts already in code page 932, every
// element with its position in the manifest for later checks. docs/manifest.md documents the
// file format; ReadManifest fills this from it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "setupinfo/setup_info_bits.h"
#include "tools/setupkit/diagnostics.h"

// A text of the manifest: the system's bytes (CP932) and the UTF-8 it came from, for messages.
struct ManifestText {
    std::string cp932;
    std::string utf8;
    SourcePos pos;
};

struct ShortcutSpec {
    ManifestText name;  // ends in ".lnk"
    ManifestText description;
    ManifestText arguments;
    bool desktop = false;
    bool programMenu = false;
    SourcePos pos;
};

// A destination in the package: a folder macro code and the path components below it.
struct Destination {
    std::string macro;                     // two letters, e.g. "IF", "64", "LM"
    std::vector<ManifestText> components;  // folder (or registry key) names below the macro
    SourcePos pos;
};

struct FileSpec {
    SourcePos pos;
    std::string source;  // UTF-8, relative to the manifest's folder; may hold wildcards
    SourcePos sourcePos;
    Destination dest;                  // the folder that receives the file(s)
    std::optional<ManifestText> name;  // another name for a single file
    std::uint8_t flags = 0;            // ITEM_* except the shortcut bits
    std::optional<ShortcutSpec> shortcut;
    bool runAfterInstall = false;
    std::string disk;
};

struct FolderSpec {
    SourcePos pos;
    Destination dest;  // the folder itself
    std::uint8_t flags = 0;
    std::string disk;
};

struct RegistrySpec {
    SourcePos pos;
    Destination key;  // macro: one of the registry roots
    std::optional<ManifestText> value;
    std::uint8_t flags = 0;  // ITEM_REGISTRY, ITEM_KEY_*, ITEM_NEVER_REMOVE, ITEM_UNINSTALL_ONLY
    std::uint8_t checkMode = 0;
    ManifestText checkText;
    std::string disk;
};

struct ComponentSpec {
    SourcePos pos;
    ManifestText name;
    ManifestText description;
    bool standard = true;
    bool custom = true;
    std::vector<FileSpec> files;
    std::vector<FolderSpec> folders;
    std::vector<RegistrySpec> registry;
    std::vector<ComponentSpec> children;
};

struct Manifest {
    std::filesystem::path file;                    // the manifest itself
    std::filesystem::path baseDir;                 // sources are relative to this folder
    std::vector<std::filesystem::path> textFiles;  // read for texts given as { file = "..." }
    std::uint32_t pageBits = 0;
    std::uint32_t optionBits = 0;
    std::uint8_t installFolderMacro = 0;
    std::uint8_t registryRootMacro = 15;  // CU
    std::uint16_t extraNumber = 0;
    std::array<std::optional<ManifestText>, kSetupInfoTextCount> texts;
    SourcePos installFolderPos;
    SourcePos pagesPos;
    SourcePos optionsPos;
    std::vector<ComponentSpec> components;
    // Programs to run after installing that the package does not bring (the package's own
    // come from run_after_install): stored paths such as WF\notepad.exe.
    std::vector<Destination> runPaths;
};

// Reads and checks the manifest's own content (syntax, keys, names, texts, option
// combinations); problems go to diagnostics. The files it names are checked later, when the
// package is planned.
Manifest ReadManifest(const std::filesystem::path& file, Diagnostics& diagnostics);

// Why a file or folder name (UTF-8) cannot be used on Windows, or empty when it can:
// forbidden characters, "." and "..", a trailing dot or space, reserved device names.
std::string WindowsNameProblem(const std::string& name);

// Names of the page and option bits, as the manifest and dump write them.
const char* PageBitName(int bit);
const char* OptionBitName(int bit);
// Names of the 22 texts, by number.
const char* TextRoleName(int number);
