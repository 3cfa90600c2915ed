// Command-line options that name files. The arguments are UTF-8 on every host (see
// Utf8Arguments), and std::filesystem on Windows takes UTF-8 only through u8path: assigned as
// a plain string, a Japanese path would turn into other characters.
#pragma once

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>

inline CLI::Option* AddPathOption(CLI::App* app, const std::string& name,
                                  std::filesystem::path* target, const std::string& description) {
    return app->add_option_function<std::string>(
        name, [target](const std::string& text) { *target = std::filesystem::u8path(text); },
        description);
}
