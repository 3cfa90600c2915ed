// setupkit: builds setup executables from a manifest, and reads packages and uninstall data.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <iostream>

#include "tools/setupkit/commands.h"
#include "tools/setupkit/entry_commands.h"
#include "tools/setupkit/host.h"
#include "tools/setupkit/path_option.h"

int main(int argc, char** argv) {
    Utf8Console console;  // everything setupkit prints is UTF-8
    CLI::App app{"setupkit: build Japanese setup executables and inspect their packages",
                 "setupkit"};
    app.set_version_flag("--version", std::string("setupkit ") + SETUPKIT_VERSION);
    app.require_subcommand(0, 1);
    // "/path" is a path, not an option, on every host (CLI11 would read /x as an option on
    // Windows).
    app.allow_windows_style_options(false);
    std::function<int()> run;

    BuildArgs build;
    CLI::App* buildCommand =
        app.add_subcommand("build", "Build a setup executable from a manifest");
    AddPathOption(buildCommand, "manifest", &build.manifest, "The product's manifest (TOML)")
        ->required();
    AddPathOption(buildCommand, "-o,--output", &build.output, "The setup executable to write")
        ->default_str(build.output.u8string());
    AddPathOption(buildCommand, "--stub", &build.stub,
                  "The setup program to put in front (default: setup.exe next to "
                  "setupkit, else build/windows/driver/setup.exe)");
    buildCommand->add_flag("-q,--quiet", build.quiet, "No progress bar and no summary");
    buildCommand->callback([&] { run = [&] { return CommandBuild(build); }; });

    std::filesystem::path file;
    CLI::App* listCommand = app.add_subcommand("list", "List the items of a setup executable");
    AddPathOption(listCommand, "file", &file, "The setup executable")->required();
    bool sizes = false;
    listCommand->add_flag("--sizes", sizes, "Decode every entry to show installed sizes");
    listCommand->callback([&] { run = [&] { return CommandList(file, sizes); }; });

    CLI::App* verifyCommand =
        app.add_subcommand("verify", "Check a setup executable's package and decode every entry");
    AddPathOption(verifyCommand, "file", &file, "The setup executable")->required();
    verifyCommand->callback([&] { run = [&] { return CommandVerify(file); }; });

    std::filesystem::path dir;
    std::string component;
    CLI::App* extractCommand =
        app.add_subcommand("extract", "Write the files of a setup executable below a folder");
    AddPathOption(extractCommand, "file", &file, "The setup executable")->required();
    AddPathOption(extractCommand, "-d,--dir", &dir, "The folder to write into")->required();
    extractCommand->add_option("--component", component,
                               "Only this component and those below it (as Main\\Help)");
    bool force = false;
    extractCommand->add_flag("--force", force, "Replace files that exist in the folder already");
    extractCommand->callback(
        [&] { run = [&] { return CommandExtract(file, dir, component, force); }; });

    bool json = false;
    CLI::App* dumpCommand = app.add_subcommand(
        "dump", "Show everything a setup executable or an uninstall data file holds");
    AddPathOption(dumpCommand, "file", &file, "A setup executable or an uninstall data file")
        ->required();
    dumpCommand->add_flag("--json", json, "JSON instead of text");
    dumpCommand->callback([&] { run = [&] { return CommandDump(file, json); }; });

    AddEntryCommands(app);

    // CLI11 reads the arguments back to front.
    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::reverse(arguments.begin(), arguments.end());
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    if (!run) {
        std::cout << app.help();
        return 0;
    }
    try {
        return run();
    } catch (const std::exception& error) {  // ToolError carries its context already
        std::cerr << "setupkit: " << error.what() << "\n";
    }
    return 1;
}
