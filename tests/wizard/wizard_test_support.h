// What the wizard tests share: packages built around this build's setup.exe, and the places in
// the registry and the file system where an install leaves its traces.
#pragma once

#include <string>
#include <vector>

#include "tests/install/install_harness.h"
#include "tests/support/message_box_probe.h"
#include "tests/support/temp_dir.h"

// Writes the sources app.txt, help.txt and sample.txt into dir and builds dir\name.exe from
// manifest (UTF-8). Its path, or "" when setupkit refused the manifest.
std::string BuildWizardPackage(const TempDir& dir, const std::string& name,
                               const std::string& manifest);

std::string Quoted(const std::string& path);
// The folders of the 64-bit program files and of the common program menu.
std::string ProgramFiles();
std::string ProgramsFolder();

// "RefC" of the shared uninstaller's key; -1 when it is missing or no REG_DWORD.
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
