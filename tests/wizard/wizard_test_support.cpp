#include "tests/wizard/wizard_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/install/install_harness.h"
#include "tests/wizard/wizard_pilot.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string ReadString(HKEY root, const std::string& key, const char* name) {
    char value[2048] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "(none)";
    return value;
}

}  // namespace

std::string BuildWizardPackage(const TempDir& dir, const std::string& name,
                               const std::string& manifest) {
    for (const char* source : {"app.txt", "help.txt", "sample.txt"})
        WriteWholeFile(dir.File(source), std::string("content of ") + source);
    std::string setup = dir.File(name + ".exe");
    return BuildSetup(dir.path(), manifest, setup) ? setup : "";
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string ProgramFiles() {
    return ReadString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                      "ProgramFilesDir");
}

std::string ProgramsFolder() {
    return ReadString(HKEY_LOCAL_MACHINE,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      "Common Programs");
}

long ProductCount() {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Quorvane\\UninsDat\\2.0", "RefC", RRF_RT_ANY,
                     &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return static_cast<long>(value);
}

std::string RunOnceValue(const char* name) {
    return ReadString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                      name);
}

std::string UninstallValue(const std::string& key, const char* name) {
    return ReadString(HKEY_LOCAL_MACHINE, kUninstallKey + key, name);
}

std::vector<std::string> Texts(const std::vector<SeenMessageBox>& boxes) {
    std::vector<std::string> texts;
    for (const SeenMessageBox& box : boxes)
        texts.push_back(Utf8(box.text));
    return texts;
}

Texts_ RunAlone(const std::string& commandLine) {
    CWizardPilot program(commandLine);
    EXPECT_EQ(program.WaitForExit(), 0) << commandLine;
    return Texts(program.boxes);
}
