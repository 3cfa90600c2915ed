// What the wizard tests share: packages built around this build's setup.exe, the whole machine
// before and after, whole runs of the wizard, and the places in the registry and the file system
// where an install leaves its traces.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/install/install_harness.h"
#include "tests/support/machine_snapshot.h"
#include "tests/support/temp_dir.h"
#include "tests/wizard/wizard_pilot.h"

// Writes the sources app.txt, help.txt and sample.txt ("content of app.txt" ...) and sources
// (name -> content) into dir and builds dir\name.exe from manifest (UTF-8). Its path, or "" when
// setupkit refused the manifest.
std::string BuildWizardPackage(
    const TempDir& dir, const std::string& name, const std::string& manifest,
    const std::vector<std::pair<std::string, std::string>>& sources = {});
// The manifest of a product of one component "本体" installed into 64\folder: pages and options
// are words, files TOML inline tables.
std::string Product(const std::string& name, const std::string& key, const std::string& folder,
                    const std::string& pages, const std::string& options = "",
                    const std::string& files = "{ source = \"app.txt\" }",
                    const std::string& publisher = "試験会社");

// The whole machine but the tests' scratch folders.
MachineSnapshot Machine(const TempDir& scratch);
// The difference as UTF-8 lines.
std::string Changes(const MachineSnapshot& before, const MachineSnapshot& after);

std::string Quoted(const std::string& path);
// The folders of the 64-bit program files and of Windows, as every Wine prefix has them.
inline std::string ProgramFiles() {
    return "C:\\Program Files";
}
inline std::string WindowsFolder() {
    return "C:\\windows";
}

// A REG_DWORD value of a key below HKLM; -1 when it is missing or of another type.
long MachineDword(const std::string& key, const std::string& name);
// "RefC" of the shared uninstaller's key.
long ProductCount();
// A value of HKLM\...\CurrentVersion\RunOnce, or "(none)".
std::string RunOnceValue(const char* name);
// A value of the product's Uninstall key, or "(none)".
std::string UninstallValue(const std::string& key, const char* name);

// The texts of message boxes, as UTF-8.
using Texts_ = std::vector<std::string>;
Texts_ Texts(const std::vector<SeenMessageBox>& boxes);
// Runs a program that must end by itself with the exit code 0, answering its message boxes: their
// texts.
Texts_ RunAlone(const std::string& commandLine);

// Next until the progress page, the sheet's caption (UTF-8) checked; then the end of the run as
// the page shows it (its phase text done), the finish page and Finish. The program must end with
// 0 and without a message box.
void RunToTheEnd(CWizardPilot& wizard, const std::string& caption, const char* done);
// The whole wizard of a package, product the product's name.
void Install(const std::string& setup, const std::string& product);
// What a user does in Wine's list of programs: uninstaller --remove runs the product's
// UninstallString, the shared uninstaller's wizard, which is run to its end.
void Uninstall(const std::string& key, const std::string& product);
