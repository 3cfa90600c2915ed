// setupkit encode-entry and decode-entry: single package entries in and out of files, the
// debugging handles for packages and the tools the codec benchmark runs.
#pragma once

#include <CLI/CLI.hpp>

// Adds "encode-entry [--chain 0|1|auto] IN OUT" and "decode-entry [--method M] IN OUT". Each
// runs while the command line is parsed and ends it: a clean exit on success, exit code 1
// with a message on standard error on failure.
void AddEntryCommands(CLI::App& app);
