// The erase primitives every cleaning item is built from: files by name, by
// extension or all of them, in one folder or a whole tree; named subfolders
// anywhere in a tree; a folder's whole content; registry keys, key trees and
// values; INI sections.
//
// File operations return the bytes they account as released, each file's
// size counted before its delete is tried, so a file that cannot be deleted
// still counts. Operations returning std::optional end at their first
// failure (a missing folder, a file that is read-only or in use) and return
// nullopt: the caller adds nothing for them. Registry operations return a
// fixed count whatever happens, except 0 for a refused (protected) target.
//
// Every operation honours the EraseContext: in preview mode nothing is
// deleted, created or written and the result is what a clean on the same
// state would return. The sink hears each file and folder as it is counted
// (before its delete is tried), each key, value, section or reboot mark that
// is (or in preview would be) removed, and every target refused below.
//
// Safety rules, checked here once for every caller:
//  - links (reparse points; under Wine also Unix symbolic links to files)
//    are never followed, emptied or deleted through: they are skipped and
//    reported as Refused, their targets survive;
//  - an unknown folder (empty, relative such as "Error\Cache") is left
//    alone: nothing is deleted, created or counted, as for a missing folder;
//  - a malformed path or name (a NUL, a character no path may hold) is
//    refused, never cut at the bad character;
//  - protected folders (IsProtectedFolder) are refused, except that files
//    named particularly may be deleted directly in them (NamesParticularly);
//    registry targets IsProtectedRegTarget names are refused;
//  - every walk stops at kMaxDepth levels: deeper folders are refused;
//  - a registry key that cannot be listed (any error but "no more items")
//    ends its walk there: it stays, heard as refused (Fate::NotListed);
//    a refused registry target counts 0.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/erase_context.h"

namespace nv::allerase {

// How many folder levels below its start a walk enters.
inline constexpr int kMaxDepth = 200;

// Deletes every file named exactly `name` (case counts) in the tree. Errors
// ignored; a missing folder gives 0. Yields to the message loop.
double DeleteFileInTree(EraseContext& ctx, const std::wstring& folder, const std::wstring& name);

// Deletes every file named `name` in any letter case in the tree, as
// DeleteFileInTree does. Unlike every other primitive it may walk the user
// profile folder itself: it removes matching files only, never a folder.
double DeleteFileInTreeAnyCase(EraseContext& ctx, const std::wstring& folder, const std::wstring& name);

// Deletes every file in the tree, keeping the folders. The first file that
// cannot be deleted, or a folder that cannot be listed, ends it all: nullopt.
std::optional<double> DeleteAllFilesInTree(EraseContext& ctx, const std::wstring& folder);

// Deletes every file in the tree whose lower-cased extension equals `ext`
// (callers pass it in lower case, without the dot). Errors ignored.
double DeleteExtInTree(EraseContext& ctx, const std::wstring& folder, const std::wstring& ext);

// Deletes, without force, every subfolder at any depth whose lower-cased
// name equals `name`, counting its whole size. Errors ignored.
double DeleteFolderInTree(EraseContext& ctx, const std::wstring& folder, const std::wstring& name);

// Counts the folder's total size, deletes it with force (read-only files
// included) and creates it again empty. A missing folder counts 0 and is
// created when its parent exists. Errors ignored.
double EmptyFolder(EraseContext& ctx, const std::wstring& folder);

// How far DeleteMatchingFiles reaches below its folder.
enum class Reach {
    Folder,          // the folder's own files
    Tree,            // the files of its whole tree; every folder stays
    TreeAndFolders,  // the files of its tree, then each folder left empty, the folder itself included
};

// Deletes the files whose names match one of the patterns ("*" and "?"
// within a name, any letter case, "*.*" every file; wildcard.h). Hidden
// files are unhidden first; read-only ones stay, still counted. Errors
// ignored. Yields to the message loop.
double DeleteMatchingFiles(EraseContext& ctx, const std::wstring& folder, const std::vector<std::wstring>& patterns,
                           Reach reach);

// EmptyFolder for the built-in IE Favorites item: the user's Favorites
// folder itself, protected for every other action, may be emptied.
double EmptyFavorites(EraseContext& ctx, const std::wstring& folder);

// The files directly in the folder (no recursion); first failure ends it.
std::optional<double> DeleteAllFiles(EraseContext& ctx, const std::wstring& folder);
std::optional<double> DeleteFileInFolder(EraseContext& ctx, const std::wstring& folder, const std::wstring& name);
std::optional<double> DeleteExtInFolder(EraseContext& ctx, const std::wstring& folder, const std::wstring& ext);

// Every file directly in the folder (no subfolders) for which keep(name) is
// false, as DeleteMatchingFiles with Reach::Folder deletes them: unhidden,
// counted, deleted without force (a read-only or locked file stays, still
// counted). Kept files are left as they are, attributes included. Errors
// ignored; yields per file. The cookie items spare the files of the cookie
// keep list this way.
double DeleteFilesInFolderExcept(EraseContext& ctx, const std::wstring& folder,
                                 const std::function<bool(const wchar_t* name)>& keep);

// One file the user named: its size is counted, then it is deleted without
// force (a read-only file stays, still counted). A file whose own folder is
// a link, a file that is a link (refused), a folder or a missing path give 0.
double DeleteOneFile(EraseContext& ctx, const std::wstring& path);

// One folder the user named: its whole size is counted, then it is deleted
// with its content without force (read-only files and the folders holding
// them stay). Links inside are left; a folder that is itself a link or a
// protected folder is refused. A missing folder gives 0.
double DeleteWholeFolder(EraseContext& ctx, const std::wstring& folder);

// Creates or opens the key, then deletes it with the plain delete, which
// refuses a key that has subkeys. 3, or 0 when the key is protected.
int DeleteRegKey(EraseContext& ctx, HKEY root, const std::wstring& subKey);
// Deletes the key with all its subkeys and values. 5, or 0 when protected.
int DeleteRegTree(EraseContext& ctx, HKEY root, const std::wstring& subKey);
// Deletes one value; a missing key or value changes nothing. 1, or 0 when
// the key's values are protected.
int DeleteRegValue(EraseContext& ctx, HKEY root, const std::wstring& subKey, const std::wstring& valueName);

// Removes a whole section from an INI file; a missing file stays missing.
void DeleteIniSection(EraseContext& ctx, const std::wstring& iniFile, const std::wstring& section);

// Total size of all files below the folder in one walk, never through a
// link; 0 for a missing or unknown folder.
double FolderSize(const std::wstring& folder);

// --- Path and key safety -------------------------------------------------

// The canonical form of an absolute path: backslashes, no repeated
// separators, "." and ".." resolved, trailing dots and blanks of a component
// dropped (as Windows does), no trailing backslash except on "C:\", case
// kept, a "\\?\" prefix removed. "" when the path is not absolute (empty,
// relative, "Error\...", drive-relative "C:x", device paths).
std::wstring NormalizePath(std::wstring_view path);

// Empty, relative or otherwise not absolute: such a folder is unknown.
bool IsUnknownFolder(std::wstring_view path);

// --- The path rule ------------------------------------------------------
// One rule for every deleting action, judged on the concrete folder after
// every expansion (variables, wildcards, ".", "..", separators, trailing
// dots and blanks, letter case, 8.3 short names, "\\?\" and "\\.\" forms).
// Protected folders are never removed, emptied, walked or matched by a
// wildcard segment; in them only files named particularly (an exact name,
// or a pattern with a fixed extension that is no program file's) may be
// deleted, without recursion. docs/ARCHITECTURE.md, "The path rule".

// A drive or share root; the Windows folder, System32, SysWOW64, WinSxS;
// the Program Files folders; ProgramData; the Users folder and every profile
// in it (Public and Default included) with its known folders (AppData and
// its Roaming, Local and LocalLow, Documents, Desktop, Downloads, Pictures,
// Music, Videos, Favorites, Start Menu, Startup, SendTo, Templates); the
// program's own folder and its plus-in folder; or any folder above one of
// them.
bool IsProtectedFolder(std::wstring_view path);

// NormalizePath with each existing 8.3 short name replaced by its long name
// (the part of the path that exists is resolved, the rest kept).
std::wstring ResolvePath(std::wstring_view path);

// Why the path is malformed (a NUL or a character no path may hold); ""
// when it is not. "*" and "?" are the caller's to judge.
std::wstring MalformedPath(std::wstring_view path);
// The same for one file name or pattern ("\" and "/" too).
std::wstring MalformedName(std::wstring_view name);
// The path as a listing may show it: a NUL as "<NUL>", control characters as "?".
std::wstring ShownPath(std::wstring_view path);

// An exact name, or a pattern with a fixed extension that is no program
// file's ("*.log", "thumbs*.db"; not "*.*", "*", "*.dll", "*.l?g").
bool NamesParticularly(std::wstring_view pattern);

// Whether the wildcard segment `segment` may match the folders of `parent`:
// not when `parent` is protected, unless a fixed segment follows the
// wildcard ("...\User Data\*\Cache") or the segment itself names a
// program's folders by a fixed start of three characters or more
// ("WinSysClean *", "Chrome*"; not "*", "*.*", "ab*" or "*Cache").
bool WildcardMayStandBelow(std::wstring_view parent, std::wstring_view segment, bool fixedFollows);

// Why a line that deletes the files matching `patterns` in `folder` (with
// variables expanded, wildcards allowed in any segment) may not act here;
// nothing when it may. The import and the run both ask it. Folders below
// the first wildcard are judged again by the run as the wildcard matches
// them, and every concrete folder by the primitives.
std::optional<std::wstring> LineRefusal(std::wstring_view folder, const std::vector<std::wstring>& patterns,
                                        Reach reach);

// Keys no delete may take, whole or as a tree, whatever the spelling (case,
// doubled or trailing backslashes): a root key itself; a key directly below
// a root ("Software"); a user's hive and its first level under HKEY_USERS;
// everything at or below HKLM\SYSTEM, SAM, SECURITY, HARDWARE and
// BCD00000000 (and HKEY_CURRENT_CONFIG, a view into SYSTEM); the platform's
// own vendor keys Microsoft, Classes, Policies, Wow6432Node, Clients and
// RegisteredApplications directly below Software or Software\Wow6432Node
// (of HKLM, HKCU and every user's hive); and each key directly below such a
// class store, as below HKEY_CLASSES_ROOT.
bool IsProtectedKey(HKEY root, std::wstring_view subKey);
// Keys whose values no delete may take: a root, a key directly below a root,
// a user's hive and its first level, and everything at or below the system
// trees above.
bool IsProtectedValueKey(HKEY root, std::wstring_view subKey);
// The one question every registry target answers, at run time and at
// import: a key or tree (value false) or a value in that key (value true).
bool IsProtectedRegTarget(HKEY root, std::wstring_view subKey, bool value);

// "HKEY_CURRENT_USER" and so on; "0x80000009" style for any other handle.
std::wstring RootKeyName(HKEY root);
// root name + "\" + subKey, as the preview listing shows keys.
std::wstring KeyText(HKEY root, std::wstring_view subKey);

namespace detail {
// Whether a primitive may walk the user profile folder itself (only one
// that deletes matching files below it, never the folder, may).
// The IE Favorites item may also empty the user's Favorites folder itself.
enum class ProfileWalk { Refused, Allowed, Favorites };
bool IsProtectedFolder(std::wstring_view path, ProfileWalk profile);
// True when running under Wine, where a Unix symbolic link to a file looks
// like a plain file and deleting it deletes its target.
bool UnderWine();
// The benchmark turns the per-file link check off to measure its cost.
// Nothing else may: without it, Wine deletes link targets.
void SetFileLinkCheck(bool on);
// Tests stand in for the registry's listing calls (RegEnumKeyExW and
// RegEnumValueW: key, index, name buffer, its length in characters) to
// play keys that answer an error at every index. nullptr restores them.
using RegEnumFn = LONG (*)(HKEY key, DWORD index, wchar_t* name, DWORD* chars);
void SetRegEnum(RegEnumFn subkeys, RegEnumFn values);
}  // namespace detail

}  // namespace nv::allerase
