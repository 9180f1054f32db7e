#include "foundation/system.h"

#include <windows.h>
#include <oleauto.h>
#include <shlobj.h>

#include "foundation/handles.h"
#include "foundation/registry_access.h"
#include "foundation/text.h"

namespace nv {

std::wstring EnvironmentText(const wchar_t* name) {
    std::wstring buf(32767, L'\0');
    DWORD n = GetEnvironmentVariableW(name, buf.data(), static_cast<DWORD>(buf.size() + 1));
    buf.resize(n <= buf.size() ? n : 0);
    return buf;
}

std::wstring processpath(const std::wstring& path) {
    static const std::wstring token = L"%USERPROFILE%";
    size_t p = path.find(token);
    if (p == std::wstring::npos) return path;
    return EnvironmentText(L"USERPROFILE") + path.substr(p + token.size());
}

std::wstring GetIEVersion() {
    std::wstring v = TrimBlanks(regfun::GetRegValue(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer", L"Version"));
    return v.substr(0, 1);
}

int IEMajorVersion() {
    std::wstring v = GetIEVersion();
    return (!v.empty() && v[0] >= L'0' && v[0] <= L'9') ? v[0] - L'0' : 0;
}

std::wstring MapOfficeVersion(const std::wstring& versionText) {
    static const struct {
        const wchar_t* part;
        const wchar_t* name;
    } map[] = {{L"8", L"Office97"},    {L"9", L"Office2000"},  {L"10", L"Office2002"},
               {L"11", L"Office2003"}, {L"12", L"Office2007"}, {L"14", L"Office2010"}};
    for (const auto& m : map)
        if (versionText.find(m.part) != std::wstring::npos) return m.name;
    return L"";
}

namespace {

bool Invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* result) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    DISPPARAMS none{};
    return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result, nullptr, nullptr));
}

}  // namespace

std::wstring GetOfficeVersion() {
    ComScope com;
    std::wstring version = L"0";
    CLSID clsid;
    ComPtr<IDispatch> word;
    if (FAILED(CLSIDFromProgID(L"Word.Application.8", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                                word.put_void())))
        return L"NoOffice";
    VARIANT v;
    VariantInit(&v);
    if (Invoke(word.get(), L"Version", DISPATCH_PROPERTYGET, &v) &&
        SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && v.bstrVal)
        version = v.bstrVal;
    VariantClear(&v);
    Invoke(word.get(), L"Quit", DISPATCH_METHOD, nullptr);
    return MapOfficeVersion(version);
}

bool ClearDocumentsMenu() {
    SetLastError(0);
    SHAddToRecentDocs(SHARD_PATHA, nullptr);
    return GetLastError() == 0;
}

std::wstring FolderFromRegistryText(const std::wstring& text, bool expand) {
    if (text == L"Error") return L"";
    std::wstring fixed = text.substr(0, 255);
    fixed.resize(255, L' ');
    std::wstring t = TrimBlanks(fixed);
    return expand ? processpath(t) : t;
}

std::wstring ShellFolder(const std::wstring& valueName) {
    return FolderFromRegistryText(regfun::GetRegValue(
        L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", valueName));
}

}  // namespace nv
