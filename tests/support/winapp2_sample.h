// A small file in the Winapp2 format, written by hand for the tests: every
// construct of the community file once, detection that holds and that does
// not, and entries that must be skipped. Paths live below %AppData% and
// %LocalAppData%, which the tests point at scratch folders; the registry
// keys below HKCU\Software\NorvaleW2.
#pragma once

namespace nvtest {

inline constexpr char kWinapp2Sample[] = R"(; Version: 240101
; # of entries: 13
;
; A sample in the Winapp2 format for the tests of the import.
; Licensed under CC-BY-SA-4.0 for this sample.

[Demo Cache *]
LangSecRef=3021
; a comment inside an entry
Detect=HKCU\Software\NorvaleW2\Missing
DetectFile2=%AppData%\NvW2Demo\Prof*
Default=False
FileKey1=%AppData%\NvW2Demo\*\Cache*|*.*|RECURSE
FileKey3=%AppData%\NvW2Demo\Logs|*.log;*.txt
FileKey4=%AppData%\NvW2Demo\Temp|*.*|REMOVESELF
RegKey1=HKCU\Software\NorvaleW2\Demo\MRU
RegKey2=HKCU\Software\NorvaleW2\Demo|LastFile
ExcludeKey1=FILE|%AppData%\NvW2Demo\Logs\|keep.log
ExcludeKey2=PATH|%AppData%\NvW2Demo\Profile 1\CacheKeep\|*.*
ExcludeKey4=REG|HKCU\Software\NorvaleW2\Demo\MRU\Pinned

[Demo Files, Inc. *]
Section=Utilities
DetectFile=%AppData%\NvW2 Files, Inc
Warning=This also deletes the drafts, if any.
FileKey1=%AppData%\NvW2 Files, Inc\Data|*.tmp

[Registry Only *]
Detect=HKCU\Software\NorvaleW2\Demo
DetectOS=6.1|
RegKey1=HKCU\Software\NorvaleW2\Demo\Recent

[Not Here *]
DetectFile=%AppData%\NvW2NotInstalled
FileKey1=%AppData%\NvW2NotInstalled|*.*

[Old Windows Only *]
DetectOS=|5.1
FileKey1=%AppData%\NvW2Old|*.*

[Chrome Visits *]
SpecialDetect=DET_CHROME
FileKey1=%LocalAppData%\Google\Chrome\User Data\Default|Visited Links

[Unknown Flag *]
FileKey1=%AppData%\NvW2Demo|*.*|RECURSIVE

[Registry Wildcard *]
RegKey1=HKCU\Software\NorvaleW2\*

[Bad Variable *]
FileKey1=%NoSuchVariable%\NvW2|*.*

[Unknown Key *]
FileKey1=%AppData%\NvW2Demo|*.bak
CleanEverything=1

[Protected Folder *]
FileKey1=%WinDir%|*.*

[Nothing To Clean *]
LangSecRef=3024
DetectFile=%AppData%

[Half Exclusion *]
FileKey1=%AppData%\NvW2Demo|*.old
ExcludeKey1=FILE|%NoSuchVariable%\|keep.old
)";

}  // namespace nvtest
