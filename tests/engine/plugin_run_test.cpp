// The newer plug-in sections in a run: an imported Winapp2 sample cleans
// what its keys name and keeps what its exclusions name (files and
// registry, through a registry link key), exclusions guard the original
// sections too, hostile names and planted links, and the rows of plug-ins
// that do not apply, must wait for a program, or cannot be read.
#include <gtest/gtest.h>

#include <map>

#include "engine/cleaning_run.h"
#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "planted_links.h"
#include "recorders.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "plugins/plugin_files.h"
#include "plugins/winapp2_import.h"
#include "winapp2_sample.h"

using namespace nv;
using namespace nv::engine;
using nvtest::Exists;
using nvtest::RecordingSink;
using nvtest::RecordingView;

namespace {

class PluginRun : public nvtest::RunTest {
protected:
    void TearDown() override {
        nvtest::DeleteTree(HKEY_CURRENT_USER, L"Software\\NorvaleW2");
        RunTest::TearDown();
    }
    // Preview, then clean: both must report the same targets and totals.
    void PreviewThenClean(RecordingSink& clean) {
        RecordingSink preview;
        Run(true, &preview);
        const Counters previewed = counters_;
        Run(false, &clean);
        EXPECT_EQ(preview.lines, clean.lines);
        EXPECT_EQ(previewed.bytes, counters_.bytes);
        EXPECT_EQ(previewed.regCount, counters_.regCount);
    }
    void Plugin(const std::wstring& file, const std::wstring& text) {
        // UTF-16 with a byte-order mark, as plug-ins with non-ANSI paths are kept.
        std::wstring t = L"\xFEFF" + text;
        nvtest::WriteText(app_ / (L"plus-in\\" + file), std::string(reinterpret_cast<const char*>(t.data()),
                                                                    t.size() * sizeof(wchar_t)));
    }
    std::wstring R(const std::wstring& rel) { return env_.appData + L"\\" + rel; }
};

TEST_F(PluginRun, ImportedSampleCleansWhatItsKeysNameAndKeepsWhatItsExclusionsName) {
    struct File {
        const wchar_t* path;
        bool goes;
    } files[] = {
        {L"NvW2Demo\\Profile 1\\Cache\\a.bin", true},        // *\Cache* ... RECURSE
        {L"NvW2Demo\\Profile 1\\Cache\\sub\\b.bin", true},
        {L"NvW2Demo\\Profile 2\\CACHES\\c.bin", true},       // any letter case
        {L"NvW2Demo\\Profile 1\\CacheKeep\\k.bin", false},   // PATH exclusion
        {L"NvW2Demo\\Profile 1\\CacheKeep\\deep\\k2.bin", false},
        {L"NvW2Demo\\Profile 1\\Data\\d.bin", false},
        {L"NvW2Demo\\Logs\\x.log", true},                    // folder only, two patterns
        {L"NvW2Demo\\Logs\\y.TXT", true},
        {L"NvW2Demo\\Logs\\keep.log", false},                // FILE exclusion
        {L"NvW2Demo\\Logs\\z.dat", false},
        {L"NvW2Demo\\Logs\\sub\\w.log", false},
        {L"NvW2Demo\\Temp\\t1.tmp", true},                   // REMOVESELF
        {L"NvW2Demo\\Temp\\inner\\t2.tmp", true},
        {L"NvW2Demo\\old.bak", false},                       // entries that were skipped
    };
    double goneBytes = 0;
    for (const File& f : files) {
        nvtest::WriteFile(R(f.path), 10 + wcslen(f.path));
        if (f.goes) goneBytes += 10 + wcslen(f.path);
    }
    const std::wstring demo = L"Software\\NorvaleW2\\Demo";
    nvtest::SetString(HKEY_CURRENT_USER, demo + L"\\MRU", L"a", L"1");
    nvtest::SetString(HKEY_CURRENT_USER, demo + L"\\MRU\\Sub", L"x", L"2");
    nvtest::SetString(HKEY_CURRENT_USER, demo + L"\\MRU\\Pinned", L"y", L"3");
    nvtest::SetString(HKEY_CURRENT_USER, demo, L"LastFile", L"f");
    nvtest::SetString(HKEY_CURRENT_USER, demo, L"Other", L"o");
    nvtest::SetString(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Target", L"t", L"kept");
    nvtest::RegLink link(HKEY_CURRENT_USER, demo + L"\\MRU\\Link", L"Software\\NorvaleW2\\Target");
    ASSERT_TRUE(link.ok());

    nvtest::WriteText(data_ / L"sample.ini", nvtest::kWinapp2Sample);
    auto r = winapp2::Import(data_ / L"sample.ini", plugins::PluginFolder(), {env_.appData, env_.localAppData});
    ASSERT_FALSE(r.refused) << nvtest::Narrow(r.error);
    for (const auto& p : plugins::Installed())
        if (p.name == L"Demo Cache") {
            ASSERT_TRUE(plugins::WriteEnabled(p, true));
        }

    RecordingSink sink;
    PreviewThenClean(sink);
    ASSERT_EQ(view_.rows.size(), 2u);
    EXPECT_EQ(view_.rows[0].item, L"Demo Cache");
    EXPECT_EQ(view_.rows[0].status, L"Done");
    for (const File& f : files) EXPECT_EQ(Exists(R(f.path)), !f.goes) << nvtest::Narrow(f.path);
    EXPECT_FALSE(Exists(R(L"NvW2Demo\\Temp")));        // the emptied folder and the folder itself
    EXPECT_TRUE(nvtest::IsDir(R(L"NvW2Demo\\Profile 1\\Cache\\sub")));  // RECURSE keeps folders
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, demo + L"\\MRU", L"a"));
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, demo + L"\\MRU\\Sub"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, demo + L"\\MRU\\Pinned", L"y"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Target", L"t"));
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, demo, L"LastFile"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, demo, L"Other"));
    EXPECT_EQ(counters_.regCount, 5 + 1 + 1);
    EXPECT_EQ(counters_.bytes, 50000 + goneBytes);
    EXPECT_EQ(sink.Count(RemovalKind::Refused), 1u);  // the link key
    EXPECT_EQ(sink.Count(RemovalKind::Folder), 2u);   // Temp\inner, Temp
}

// Exclusions guard the original sections as well; hostile names: endings
// in a dot or a blank beside the plain name, non-ANSI names, a file held
// open, a read-only file.
TEST_F(PluginRun, ExclusionsGuardOldSectionsAndOddNamesHitOnlyTheirFiles) {
    const std::wstring d = data_ / L"odd";
    const std::wstring cjk = d + L"\\\u00e9\u4e2d";
    for (const wchar_t* n : {L"\\Guarded\\a.txt", L"\\Guarded\\keep.txt", L"\\Guarded\\sub\\b.txt",
                             L"\\Guarded\\sub\\keep.txt", L"\\Exts\\x.log", L"\\Exts\\keep.log", L"\\Names\\keep"})
        nvtest::WriteFile(d + n, 10);
    for (const wchar_t* n : {L"\\Names\\keep.", L"\\Names\\keep "}) {
        ScopedFile f(CreateFileW((L"\\\\?\\" + d + n).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f);
    }
    nvtest::WriteFile(cjk + L"\\\U0001F600.log", 20);
    nvtest::WriteFile(cjk + L"\\held.log", 30);
    nvtest::WriteFile(cjk + L"\\readonly.log", 40);
    nvtest::WriteFile(cjk + L"\\inner\\x.log", 50);
    SetFileAttributesW((cjk + L"\\readonly.log").c_str(), FILE_ATTRIBUTE_READONLY);
    ScopedFile held(CreateFileW((cjk + L"\\held.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    nvtest::SetString(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Old", L"v", L"1");
    nvtest::SetString(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Old\\Kept", L"w", L"2");
    Plugin(L"guard.ppe", L"[name]\r\nappname=Guarded\r\n[swich]\r\non=1\r\n"
                         L"[folder]\r\n1=" + d + L",\\Guarded\r\n"
                         L"[fileext]\r\n1=" + d + L",\\Exts,log\r\n"
                         L"[regtree]\r\n1=-2147483647,Software\\NorvaleW2\\Old\r\n"
                         L"[reg]\r\n1=-2147483647,Software\\NorvaleW2\\Old\\Kept,w\r\n"
                         L"[filekey]\r\n1=" + d + L"\\Names|keep?\r\n2=" + cjk + L"|*.log|REMOVESELF\r\n"
                         L"[exclude]\r\n1=FILE|" + d + L"\\Guarded\\|keep.txt\r\n2=PATH|" + d + L"\\Guarded\\sub\\|*.*\r\n"
                         L"3=FILE|" + d + L"\\Exts\\|KEEP.LOG\r\n4=REG|HKCU\\Software\\NorvaleW2\\Old\\Kept\r\n");
    RecordingSink sink;
    PreviewThenClean(sink);
    ASSERT_EQ(view_.rows.size(), 2u);
    EXPECT_EQ(view_.rows[0].status, L"Done");
    EXPECT_FALSE(Exists(d + L"\\Guarded\\a.txt"));
    for (const wchar_t* kept : {L"\\Guarded\\keep.txt", L"\\Guarded\\sub\\b.txt", L"\\Guarded\\sub\\keep.txt",
                                L"\\Exts\\keep.log", L"\\Names\\keep"})
        EXPECT_TRUE(Exists(d + kept)) << nvtest::Narrow(kept);
    EXPECT_FALSE(Exists(d + L"\\Exts\\x.log"));
    for (const wchar_t* gone : {L"\\Names\\keep.", L"\\Names\\keep "})
        EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + d + gone).c_str()), INVALID_FILE_ATTRIBUTES) << nvtest::Narrow(gone);
    EXPECT_FALSE(Exists(cjk + L"\\\U0001F600.log"));
    EXPECT_FALSE(Exists(cjk + L"\\inner"));  // emptied, so removed
    EXPECT_TRUE(Exists(cjk + L"\\held.log"));
    EXPECT_TRUE(Exists(cjk + L"\\readonly.log"));
    EXPECT_TRUE(nvtest::IsDir(cjk));  // still holds two files
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Old", L"v"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Old\\Kept", L"w"));
    EXPECT_EQ(counters_.regCount, 5 + 1 + 1);
    SetFileAttributesW((cjk + L"\\readonly.log").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Links planted from the Linux side (tools/lib/plant-links.sh, case
// "filekey"): wildcards that meet folder links, REMOVESELF over a tree that
// holds file and folder links. Every target stays.
TEST_F(PluginRun, WildcardsAndRemoveSelfNeverGoThroughLinks) {
    const std::wstring c = L"C:\\nvlinks\\filekey";
    NEED_PLANTED(Exists(c + L"\\tree\\real.txt"));
    Plugin(L"links.ppe", L"[swich]\r\non=1\r\n[filekey]\r\n1=" + c + L"\\t*e\\*|*.*|REMOVESELF\r\n2=" + c +
                             L"\\tree|*.*|REMOVESELF\r\n3=" + c + L"\\*link|*.*|RECURSE\r\n");
    RecordingSink sink;
    Run(false, &sink);
    for (const wchar_t* kept : {L"\\target\\keep.txt", L"\\target\\dir\\inner.txt", L"\\target\\dir\\cache\\c.txt",
                                L"\\target\\config.ini"})
        EXPECT_TRUE(Exists(c + kept)) << nvtest::Narrow(kept);
    EXPECT_FALSE(Exists(c + L"\\tree\\real.txt"));
    EXPECT_FALSE(Exists(c + L"\\tree\\sub\\real.txt"));
    EXPECT_TRUE(Exists(c + L"\\tree"));  // it holds the links
    EXPECT_GE(sink.Count(RemovalKind::Refused), 6u);
}

// What the result list says for plug-ins that do not apply here, must wait
// for a program to close, or cannot be read; none of them deletes or counts.
TEST_F(PluginRun, RowsOfPlugInsThatCannotRunNow) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring me = wcsrchr(self, L'\\') ? wcsrchr(self, L'\\') + 1 : self;
    const std::wstring d = data_ / L"rows";
    for (const wchar_t* f : {L"\\absent\\a.tmp", L"\\running\\r.tmp", L"\\broken\\b.tmp", L"\\unguarded\\u.tmp",
                             L"\\works\\w.tmp"})
        nvtest::WriteFile(d + f, 100);
    auto plugin = [&](const wchar_t* name, const std::wstring& more) {
        Plugin(std::wstring(name) + L".ppe", L"[name]\r\nappname=" + std::wstring(name) + L"\r\n[swich]\r\non=1\r\n" +
                                                 more + L"[filekey]\r\n1=" + d + L"\\" + name + L"|*.tmp\r\n");
    };
    plugin(L"absent", L"[detect]\r\n1=FILE|" + d + L"\\nowhere\r\n");
    plugin(L"running", L"[close]\r\n1=not-running.exe\r\n2=" + me + L"\r\n");
    plugin(L"broken", L"[exclude]\r\n1=FILE|" + d + L"\\broken\r\n");
    plugin(L"unguarded", L"[exclude]\r\n1=PATH|%NoSuchVariable%\\unguarded\\\r\n");
    plugin(L"works", L"[detect]\r\n1=FILE|" + d + L"\\nowhere\r\n2=FILE|" + d + L"\\w*\r\n[close]\r\n1=not-running.exe\r\n");
    Run(false, nullptr);
    std::map<std::wstring, std::wstring> rows;
    for (const auto& r : view_.rows) rows[r.item] = r.status;
    EXPECT_EQ(rows.count(L"absent"), 0u);
    EXPECT_EQ(rows[L"running"], L"Skipped: " + me + L" is running");
    EXPECT_EQ(rows[L"broken"], L"Fail, [exclude] 1: no file name");
    EXPECT_EQ(rows[L"unguarded"], L"Fail, [exclude] names an unknown folder: %NoSuchVariable%\\unguarded\\");
    EXPECT_EQ(rows[L"works"], L"Done");
    for (const wchar_t* f : {L"\\absent\\a.tmp", L"\\running\\r.tmp", L"\\broken\\b.tmp", L"\\unguarded\\u.tmp"})
        EXPECT_TRUE(Exists(d + f)) << nvtest::Narrow(f);
    EXPECT_FALSE(Exists(d + L"\\works\\w.tmp"));
    EXPECT_EQ(counters_.bytes, 50000 + 100);
    EXPECT_EQ(counters_.regCount, 1);
}

}  // namespace
