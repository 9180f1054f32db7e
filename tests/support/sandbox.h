// Test helpers: the sandbox guard, scratch folders and registry keys that
// clean up after themselves, small file helpers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace nvtest {

// True only inside the throwaway Wine prefix made by tools/test: the marker
// file C:\norvale-sandbox.txt holds the token of NORVALE_SANDBOX_TOKEN, and
// no Z: drive maps the host's file system. Test executables refuse to run
// anywhere else (the guard is registered in sandbox.cpp).
bool InSandbox();

// A fresh, empty folder under C:\nvtest, removed with its content when the
// object goes out of scope.
class ScratchDir {
public:
    explicit ScratchDir(const std::wstring& name = L"t");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& rel) const { return path_ + L"\\" + rel; }

private:
    std::wstring path_;
};

// Removes a folder tree without following links (test clean-up only).
void RemoveTree(const std::wstring& path);

// Writes a file of the given size (creating missing parent folders).
void WriteFile(const std::wstring& path, uint64_t bytes, char fill = 'x');
void WriteText(const std::wstring& path, const std::string& text);
std::string ReadText(const std::wstring& path);
bool Exists(const std::wstring& path);
bool IsDir(const std::wstring& path);
void MakeDirs(const std::wstring& path);

// HKEY_CURRENT_USER\Software\NorvaleTests\<name>-<pid>, deleted before use
// and afterwards.
class TestKey {
public:
    explicit TestKey(const std::wstring& name);
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    const std::wstring& sub() const { return sub_; }                 // "Software\NorvaleTests\..."
    std::wstring path() const { return L"HKEY_CURRENT_USER\\" + sub_; }  // textual key path

private:
    std::wstring sub_;
};

void SetString(HKEY root, const std::wstring& sub, const std::wstring& name, const std::wstring& data);
void SetDword(HKEY root, const std::wstring& sub, const std::wstring& name, DWORD data);
void CreateKey(HKEY root, const std::wstring& sub);
bool KeyExists(HKEY root, const std::wstring& sub);
bool ValueExists(HKEY root, const std::wstring& sub, const std::wstring& name);
void DeleteTree(HKEY root, const std::wstring& sub);

// A registry link key (REG_OPTION_CREATE_LINK, volatile) at root\link that
// points at root\target; the link alone is removed when the object goes out
// of scope. Declare it after the keys it lives in.
class RegLink {
public:
    RegLink(HKEY root, const std::wstring& link, const std::wstring& target);
    ~RegLink();
    RegLink(const RegLink&) = delete;
    RegLink& operator=(const RegLink&) = delete;
    bool ok() const { return ok_; }

private:
    HKEY root_;
    std::wstring link_;
    bool ok_ = false;
};

// Sets (or with nullopt removes) one string value of a shared key for the
// lifetime of the object, then restores what was there.
class ValueOverride {
public:
    ValueOverride(HKEY root, std::wstring sub, std::wstring name, std::optional<std::wstring> value);
    ~ValueOverride();
    ValueOverride(const ValueOverride&) = delete;
    ValueOverride& operator=(const ValueOverride&) = delete;

private:
    void Set(const std::optional<std::wstring>& v);
    HKEY root_;
    std::wstring sub_, name_;
    std::optional<std::wstring> old_;
};

std::string Narrow(const std::wstring& s);  // UTF-8, for test messages

// Sets (or with nullptr removes) an environment variable for the lifetime
// of the object, then restores it.
class EnvVar {
public:
    EnvVar(const wchar_t* name, const wchar_t* value);
    EnvVar(const wchar_t* name, const std::wstring& value) : EnvVar(name, value.c_str()) {}
    ~EnvVar();
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

}  // namespace nvtest
