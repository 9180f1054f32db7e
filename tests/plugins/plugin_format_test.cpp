// The plug-in format beyond the original sections: the one-pass reader
// against the platform's profile functions, every line kind of the new
// sections with its faults, and detection on this machine.
#include "plugins/plugin_format.h"

#include <gtest/gtest.h>

#include "sandbox.h"
#include "plugins/ini_reader.h"
#include "plugins/plugin_files.h"

using namespace nv;
using namespace nv::plugins;

namespace {

std::wstring ProfileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section, key, L"", buf, 512, file.c_str());
    return buf;
}

std::vector<std::wstring> ProfileLines(const std::wstring& file, const wchar_t* section) {
    std::vector<wchar_t> buf(65536);
    DWORD n = GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    std::vector<std::wstring> out;
    for (size_t i = 0; i < n && buf[i];) {
        out.emplace_back(&buf[i]);
        i += out.back().size() + 1;
    }
    return out;
}

// The reader answers what the profile functions answer, for every oddity a
// hand-edited plug-in can hold.
TEST(PluginReader, AnswersAsTheProfileFunctions) {
    nvtest::ScratchDir dir(L"ini");
    const std::string texts[] = {
        "top=before any section\r\n[name]\r\nappname=  Foo Bar  \r\n[NAME]\r\nappname=second section\r\n",
        "[Name]\r\nAppName=\"Quoted\"\r\nappname=duplicate key\r\n[swich]\r\non='1'\r\n",
        "[name]\nappname=\"half quoted\n[swich]\non = 1 \t\n[dec]\ndecs=a=b=c\n",
        "  [ name ]\r\nappname=spaced header\r\n[name]\r\nappname=plain\r\n[a]b]\r\nk=v\r\n",
        "[name]\r\n;appname=comment\r\nappname\r\nappname=after keyless\r\n[filekey]\r\n1=x|y\r\n;2=z\r\nnoequals\r\n\r\n"
        "3 = spaced | value \r\n",
        "\xEF\xBB\xBF[name]\r\nappname=caf\xC3\xA9 \xE4\xB8\xAD\r\n[filekey]\r\n1=%AppData%\\\xE4\xB8\xAD|*.*\r\n",
        "[name]\r\nappname=x\r\n[filekey\r\n1=broken header line\r\n[detect]\r\n1=REG|HKCU\\Software\\X\r\n",
    };
    int i = 0;
    for (const std::string& t : texts) {
        const std::wstring file = dir / (L"p" + std::to_wstring(i++) + L".ppe");
        nvtest::WriteText(file, t);
        auto ini = inifile::IniFile::Load(file);
        ASSERT_TRUE(ini) << t;
        for (const wchar_t* section : {L"name", L"swich", L"dec", L"a]b", L"a", L"filekey", L"detect", L"missing"}) {
            for (const wchar_t* key : {L"appname", L"on", L"decs", L"k", L"1", L"3", L"missing"})
                EXPECT_EQ(ini->Value(section, key), ProfileValue(file, section, key)) << t << " [" << nvtest::Narrow(section)
                                                                                      << "] " << nvtest::Narrow(key);
            EXPECT_EQ(ini->Lines(section), ProfileLines(file, section)) << t << " [" << nvtest::Narrow(section) << "]";
        }
    }
    // UTF-16 with a byte-order mark, as plug-ins with non-ANSI paths are stored.
    std::wstring u = L"\xFEFF[name]\r\nappname=\u4e2d\u6587\r\n[filekey]\r\n1=%AppData%\\\U0001F600|*.log\r\n";
    const std::wstring file = dir / L"u.ppe";
    nvtest::WriteText(file, std::string(reinterpret_cast<const char*>(u.data()), u.size() * sizeof(wchar_t)));
    auto ini = inifile::IniFile::Load(file);
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->Value(L"name", L"appname"), ProfileValue(file, L"name", L"appname"));
    EXPECT_EQ(ini->Lines(L"filekey"), ProfileLines(file, L"filekey"));
}

TEST(PluginFormat, EveryLineKindAndItsFaults) {
    struct Case {
        const wchar_t* section;
        const wchar_t* value;
        const wchar_t* fault;  // nullptr: read; otherwise a part of the reason
    } cases[] = {
        {L"filekey", L"%LocalAppData%\\App\\Profile *\\Cache|*.*|RECURSE", nullptr},
        {L"filekey", L"C:\\Apps\\Demo, Inc\\Logs|*.log; *.txt ;|removeself", nullptr},  // commas in values
        {L"filekey", L"\\\\server\\share\\x|a?.tmp", nullptr},
        {L"filekey", L"%AppData%\\App|*.*|RECURSIVE", L"unknown flag"},
        {L"filekey", L"%AppData%\\App", L"no file pattern"},
        {L"filekey", L"%AppData%\\App| ; |", L"no file pattern"},
        {L"filekey", L"%AppData%\\App|sub\\*.log", L"with a folder"},
        {L"filekey", L"%AppData%\\App\\..\\..|*.*", L".."},
        {L"filekey", L"%AppData%\\App\\ .. \\x|*.*", L".."},
        {L"filekey", L"App\\Cache|*.*", L"not an absolute path"},
        {L"filekey", L"%AppData%|*.*|RECURSE|x", L"too many fields"},
        {L"regkey", L"HKCU\\Software\\App\\MRU", nullptr},
        {L"regkey", L"HKEY_LOCAL_MACHINE\\Software\\App|Last, File", nullptr},
        {L"regkey", L"HKXX\\Software\\App", L"unknown registry root"},
        {L"regkey", L"HKCU\\", L"no key below the root"},
        {L"regkey", L"HKCU\\Software\\App\\*", L"wildcards"},
        {L"exclude", L"FILE|%AppData%\\App\\|keep.log;keep2.log", nullptr},
        {L"exclude", L"PATH|%AppData%\\App\\Keep\\|*.*", nullptr},
        {L"exclude", L"PATH|%AppData%\\App\\Keep\\", nullptr},
        {L"exclude", L"REG|HKCU\\Software\\App\\Pinned", nullptr},
        {L"exclude", L"REG|HKCU\\Software\\App|Keep", nullptr},
        {L"exclude", L"FILE|%AppData%\\App\\", L"no file name"},
        {L"exclude", L"DIR|%AppData%\\App\\|x", L"unknown exclusion"},
        {L"exclude", L"PATH|relative\\|*.*", L"not an absolute path"},
        {L"detect", L"REG|HKLM\\Software\\App", nullptr},
        {L"detect", L"FILE|%ProgramFiles%\\App\\app*.exe", nullptr},
        {L"detect", L"OS|6.1|", nullptr},
        {L"detect", L"OS||10.0.19045", nullptr},
        {L"detect", L"OS|ten|", L"not a version"},
        {L"detect", L"WMI|x", L"unknown detection"},
        {L"close", L"app.exe", nullptr},
        {L"close", L"C:\\app.exe", L"not a program name"},
    };
    for (const Case& c : cases) {
        std::wstring text = L"[" + std::wstring(c.section) + L"]\r\n7=" + c.value + L"\r\n";
        Extras x = ReadExtras(inifile::IniFile::Parse(text));
        if (!c.fault) {
            EXPECT_EQ(x.error, L"") << nvtest::Narrow(c.value);
        } else {
            EXPECT_NE(x.error.find(L"[" + std::wstring(c.section) + L"] 7: "), std::wstring::npos) << nvtest::Narrow(c.value);
            EXPECT_NE(x.error.find(c.fault), std::wstring::npos) << nvtest::Narrow(x.error);
        }
    }
    // What the lines mean.
    Extras x = ReadExtras(inifile::IniFile::Parse(
        L"[filekey]\r\n1=C:\\Apps\\Demo, Inc\\Logs|*.log; *.txt ;|removeself\r\n[regkey]\r\n1=HKLM\\Software\\App\\|Last, File\r\n"
        L"[exclude]\r\n1=PATH|%AppData%\\Keep\\\r\n[warning]\r\n1=First line\r\n2=second, line\r\n[close]\r\na=App.exe\r\n"
        L"[source]\r\nformat=winapp2\r\nentry=Demo *\r\n"));
    ASSERT_EQ(x.filekeys.size(), 1u);
    EXPECT_EQ(x.filekeys[0].path, L"C:\\Apps\\Demo, Inc\\Logs");
    EXPECT_EQ(x.filekeys[0].patterns, (std::vector<std::wstring>{L"*.log", L"*.txt"}));
    EXPECT_EQ(x.filekeys[0].scope, Scope::RemoveSelf);
    ASSERT_EQ(x.regkeys.size(), 1u);
    EXPECT_EQ(x.regkeys[0].root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(x.regkeys[0].subKey, L"Software\\App");
    EXPECT_EQ(x.regkeys[0].value, L"Last, File");
    ASSERT_EQ(x.excludes.size(), 1u);
    EXPECT_TRUE(x.excludes[0].patterns.empty());
    EXPECT_EQ(x.warning, L"First line\r\nsecond, line");
    EXPECT_EQ(x.close, std::vector<std::wstring>{L"App.exe"});
    EXPECT_TRUE(x.Imported());
    EXPECT_EQ(x.source.entry, L"Demo *");
}

// Detection on the prefix's own registry and files: some REG or FILE line
// must hold, every OS line must hold.
TEST(PluginFormat, DetectionOnThisMachine) {
    nvtest::ScratchDir data(L"detect");
    nvtest::TestKey key(L"Detect");
    nvtest::SetString(HKEY_CURRENT_USER, key.sub(), L"v", L"x");
    nvtest::WriteFile(data / L"Roaming\\Vendor\\Profile 3\\app.db", 1);
    pathvars::Folders folders{data / L"Roaming", data / L"Local"};
    const std::wstring reg = L"REG|HKCU\\" + key.sub(), noReg = L"REG|HKCU\\" + key.sub() + L"\\Missing";
    struct Case {
        std::vector<std::wstring> lines;
        bool detected;
    } cases[] = {
        {{}, true},
        {{reg}, true},
        {{noReg}, false},
        {{noReg, L"FILE|%AppData%\\Vendor\\profile ?\\APP.DB"}, true},  // any line, any letter case
        {{L"FILE|%AppData%\\Vendor\\*\\*.db"}, true},
        {{L"FILE|%AppData%\\Vendor\\*\\*.log"}, false},
        {{L"FILE|%NoSuchVariable%\\Vendor"}, false},
        {{L"OS|5.0|"}, true},
        {{L"OS||5.1"}, false},
        {{reg, L"OS|5.0|", L"OS||5.1"}, false},  // every OS line
    };
    for (const Case& c : cases) {
        std::wstring text = L"[detect]\r\n";
        for (size_t i = 0; i < c.lines.size(); ++i) text += std::to_wstring(i) + L"=" + c.lines[i] + L"\r\n";
        Extras x = ReadExtras(inifile::IniFile::Parse(text));
        ASSERT_EQ(x.error, L"");
        EXPECT_EQ(Detected(x, folders), c.detected) << nvtest::Narrow(text);
    }
}

}  // namespace
