// The program's plain list files (keepurl.dat, keepcook.dat, cusd.dat,
// Ext.txt): one entry per line, CR LF line ends, no header.
//
// Encoding: the ANSI code page, as every older copy of these files holds.
// A line the code page cannot hold (a path with CJK or emoji on a Western
// machine) is never written as '?': the file is then written as UTF-8 with a
// byte-order mark, which readers recognise. So a cookie path or custom item
// always reads back exactly as it was stored.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nv::listfile {

// Larger files are not list files of ours; reading them is refused rather
// than loading an arbitrary amount into memory.
inline constexpr unsigned long long kMaxListFileBytes = 64ull * 1024 * 1024;

// Every line of the file in order. CR LF, a lone LF or a lone CR ends a
// line; a last line without an end counts; an empty line is an empty entry.
// Nothing when the file is missing, unreadable or larger than the limit.
std::optional<std::vector<std::wstring>> Read(const std::wstring& path);

// Replaces the file with these lines in one step: the text goes to a fresh
// file beside it, which then takes its place (a crash or a full disk midway
// leaves the old file whole). False when nothing was replaced.
bool Write(const std::wstring& path, const std::vector<std::wstring>& lines);

// The bytes of a file, at most maxBytes: nothing when it is missing,
// unreadable or larger.
std::optional<std::string> ReadBytes(const std::wstring& path, unsigned long long maxBytes = kMaxListFileBytes);

// Replaces the file with these bytes in one step, as Write does. Without
// `durable` the bytes are not forced to the disk first (much faster for
// many small files; a crash may then leave the start of the new file).
bool ReplaceBytes(const std::wstring& path, const std::string& bytes, bool durable = true);

// Creates a file that does not exist yet with these bytes; false (and no
// file left behind) when it exists or cannot be written whole.
bool WriteNew(const std::wstring& path, const std::string& bytes);

// Appends one line, creating the file when it is missing. Appends in the
// file's own encoding; an ANSI file that cannot hold the line is rewritten
// whole as UTF-8 first. A file whose last line has no end gets one, so the
// new entry never joins the old last line.
bool Append(const std::wstring& path, const std::wstring& line);

}  // namespace nv::listfile
