// The command-line switches: /clean, /preview and /?. Both runs work
// without a window and write UTF-8 lines to standard output.
#pragma once

#include <optional>
#include <string>

namespace nv::cli {

// Exit codes.
constexpr int kCompleted = 0;
constexpr int kBadSwitch = 1;
constexpr int kRunInProgress = 3;

// When args is a switch, performs it and returns the process exit code;
// nothing for any other argument text (the window program handles it).
std::optional<int> Run(const std::wstring& args);

// Where the lines go (tests collect them); by default standard output.
using Writer = void (*)(const std::string& utf8Line);
void SetWriter(Writer w);

}  // namespace nv::cli
