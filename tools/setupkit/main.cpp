// setupkit: builds setup executables from a manifest, and reads packages and uninstall data.
#include <CLI/CLI.hpp>

#include <iostream>

#include "tools/setupkit/entry_commands.h"

int main(int argc, char** argv) {
    CLI::App app{"setupkit: build Japanese setup executables and inspect their packages"};
    app.set_version_flag("--version", std::string("setupkit ") + SETUPKIT_VERSION);
    app.require_subcommand(0);
    AddEntryCommands(app);
    CLI11_PARSE(app, argc, argv);
    if (argc == 1)
        std::cout << app.help();
    return 0;
}
