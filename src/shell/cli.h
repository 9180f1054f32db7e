// The command-line switches: /clean [/close-running], /preview, /import-winapp2 FILE and /?.
// They work without a window and write UTF-8 lines to standard output.
#pragma once

#include <optional>
#include <string>

namespace nv::cli {

// Exit codes.
constexpr int kCompleted = 0;
constexpr int kBadSwitch = 1;
constexpr int kRunInProgress = 3;
constexpr int kTotalsNotSaved = 4;  // the run completed; lastclean, regnum or filesize could not be written
constexpr int kNotImported = 1;     // /import-winapp2: not a Winapp2 file, or plug-ins that could not be written

// When an argument of args looks like a switch (begins with "/" or "-"
// after blanks), performs it and returns the process exit code; a switch
// that is not exactly a known one, alone, is a bad switch (usage on
// standard error, exit 1). Nothing for any other argument text: the window
// program handles it.
std::optional<int> Run(const std::wstring& args);

// Where the lines go (tests collect them); by default standard output and
// standard error.
using Writer = void (*)(const std::string& utf8Line);
void SetWriters(Writer out, Writer err);

// One line to standard output or standard error (or the writers above);
// started from a console as a window program, to that console.
void WriteLine(const std::wstring& line);
void WriteError(const std::wstring& line);

}  // namespace nv::cli
