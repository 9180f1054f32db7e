// Files a clean leaves because another program holds them: the holder named
// in the row and the details where the system names one, today's words
// where it does not (Wine's Restart Manager lists no one), and with
// "Delete files in use at the next restart" on, exactly those files marked.
#include <gtest/gtest.h>

#include <map>

#include <windows.h>

#include <sddl.h>

#include "engine/cleaning_run.h"
#include "engine/run_details.h"
#include "foundation/file_holders.h"
#include "foundation/handles.h"
#include "foundation/ini_access.h"
#include "foundation/selection_profile.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "settings/custom_items_file.h"

using namespace nv;
using namespace nv::engine;
using nvtest::RecordingView;

namespace {

class NamingFinder : public holders::Finder {
public:
    std::vector<holders::Holder> Find(const std::vector<std::wstring>& files) override {
        asked.push_back(files);
        return {{L"Firefox", L"firefox.exe", 4312}};
    }
    std::vector<std::vector<std::wstring>> asked;
};

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// The prefix's pending deletes as stored, so a test can put them back.
std::wstring PendingRaw() {
    HKEY k = nullptr;
    std::wstring out;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    DWORD size = 0;
    if (RegQueryValueExW(k, kPendingValue, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        out.resize(size / sizeof(wchar_t));
        RegQueryValueExW(k, kPendingValue, nullptr, nullptr, reinterpret_cast<BYTE*>(out.data()), &size);
    }
    RegCloseKey(k);
    return out;
}

void RestorePending(const std::wstring& raw) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    if (raw.empty()) RegDeleteValueW(k, kPendingValue);
    else
        RegSetValueExW(k, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(raw.data()),
                       static_cast<DWORD>(raw.size() * sizeof(wchar_t)));
    RegCloseKey(k);
}

// The files and folders marked since `before`: the source of each new pair.
std::vector<std::wstring> MarkedSince(const std::wstring& before) {
    std::wstring raw = PendingRaw();
    std::vector<std::wstring> parts;
    size_t at = before.empty() ? 0 : before.size() - 1;  // the old list's closing NUL
    while (at < raw.size()) {
        size_t end = raw.find(L'\0', at);
        if (end == std::wstring::npos) end = raw.size();
        parts.push_back(raw.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::wstring> sources;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        sources.push_back(parts[i].starts_with(L"\\??\\") ? parts[i].substr(4) : parts[i]);
    return sources;
}

class InUseRun : public nvtest::RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        Inifun::WriteIniValue(profile::ProfilePath(), L"WINDOWS", L"temp", L"1");
        Inifun::WriteIniValue(profile::ProfilePath(), L"Custom", L"Custom", L"1");
        cusd::Write({{dir_, L"Folder"}});
        nvtest::WriteText(app_ / L"plus-in\\p.ppe", "[name]\r\nappname=Plug\r\n[swich]\r\non=1\r\n[filekey]\r\n1=" +
                                                      nvtest::Narrow(plug_) + "|*.*|REMOVESELF\r\n");
    }
    // Files of the temp folder, of a custom folder item and of a plug-in's
    // tree, four of them held: one with another hard link outside the targets.
    void Prepare() {
        nvtest::WriteFile(plug_ + L"\\p1.dat", 600);
        nvtest::WriteFile(plug_ + L"\\sub\\p2.dat", 700);
        nvtest::WriteFile(temp_ / L"a.tmp", 100);
        nvtest::WriteFile(temp_ / L"b.tmp", 200);
        nvtest::WriteFile(dir_ + L"\\w.bin", 300);
        nvtest::WriteFile(dir_ + L"\\y\\z.bin", 400);
        nvtest::WriteFile(data_ / L"twin.bin", 500);
        ASSERT_TRUE(CreateHardLinkW((dir_ + L"\\x.bin").c_str(), (data_ / L"twin.bin").c_str(), nullptr));
        for (const std::wstring& f : {temp_ / L"a.tmp", dir_ + L"\\x.bin", dir_ + L"\\y\\z.bin", plug_ + L"\\p1.dat"}) {
            held_.emplace_back(CreateFileW(f.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held_.back());
        }
    }
    void Release() {
        held_.clear();
        nvtest::RemoveTree(dir_);
        nvtest::RemoveTree(plug_);
        nvtest::RemoveTree(temp_.path());
        nvtest::RemoveTree(data_ / L"twin.bin");
    }

    const std::wstring dir_ = data_ / L"custom\\dir";
    const std::wstring plug_ = data_ / L"plug";
    nvtest::ScratchDir temp_{L"heldtemp"};
    nvtest::EnvVar tempVar_{L"TEMP", temp_.path()};
    std::vector<ScopedFile> held_;
};

TEST_F(InUseRun, HoldersAreNamedWhereTheSystemSaysAndHeldFilesMarkedWhenAsked) {
    const std::wstring a = temp_ / L"a.tmp", x = dir_ + L"\\x.bin", z = dir_ + L"\\y\\z.bin", y = dir_ + L"\\y";
    const std::wstring p1 = plug_ + L"\\p1.dat";
    const std::wstring firefox = L"Firefox (firefox.exe, 4312)";
    const std::wstring marked = L"Marked for deletion at restart";
    struct Case {
        const char* name;
        bool named, mark, secure;
        std::vector<std::wstring> rows;                         // Windows Temp, Custom Item, Plug
        std::map<std::wstring, std::vector<std::wstring>> lines;  // in-use and mark lines by target
        std::vector<std::wstring> marks;
    };
    const std::wstring other = L"Left: in use by another program", byFirefox = L"Left: in use by " + firefox;
    const std::wstring notMarked = L"Not marked for deletion at restart";
    const Case cases[] = {
        {"the system names no one: today's words",
         false, false, false,
         {L"Done", L"Done", L"Done"},
         {{a, {other, other}}, {x, {other}}, {z, {other}}, {p1, {other}}},
         {}},
        {"a named holder",
         true, false, false,
         {L"Done, 1 file in use by " + firefox, L"Done, 2 files in use by " + firefox,
          L"Done, 1 file in use by " + firefox},
         {{a, {byFirefox, byFirefox}}, {x, {byFirefox}}, {z, {byFirefox}}, {p1, {byFirefox}}},
         {}},
        {"marked: the held files, a folder after its file, never a hard-linked file",
         true, true, false,
         {L"Done, 1 file in use by " + firefox, L"Done, 2 files in use by " + firefox,
          L"Done, 1 file in use by " + firefox},
         {{a, {byFirefox, byFirefox, marked}},
          {x, {byFirefox, notMarked + L": other hard links"}},
          {z, {byFirefox, marked}},
          {y, {marked}},
          {dir_, {notMarked}},
          {p1, {byFirefox, marked}},
          {plug_, {marked}}},
         {a, z, y, p1, plug_}},
        {"marked with secure deletion: not overwritten",
         false, true, true,
         {L"Done", L"Done", L"Done"},
         {{a, {other, other, marked + L", not overwritten: in use"}},
          {x, {other, notMarked + L": other hard links"}},
          {z, {other, marked + L", not overwritten: in use"}},
          {y, {marked + L", not overwritten: in use"}},
          {dir_, {notMarked}},
          {p1, {other, marked + L", not overwritten: in use"}},
          {plug_, {marked + L", not overwritten: in use"}}},
         {a, z, y, p1, plug_}},
    };
    double bytes = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare();
        Inifun::WriteIniValue(profile::ProfilePath(), L"Options", L"atreboot", c.mark ? L"1" : L"0");
        Inifun::WriteIniValue(profile::ProfilePath(), L"Options", L"securely", c.secure ? L"1" : L"0");
        NamingFinder finder;
        if (c.named) holders::Install(&finder);
        const std::wstring pendingBefore = PendingRaw();

        RecordingView view;
        RunDetails details(false, c.secure);
        DetailsView front(view, details, DetailsView::Mode::Clean);
        RunOptions o;
        o.sink = &details;
        Counters counters;
        int unattended = 0;
        ASSERT_EQ(CleanNow(front, env_, counters, unattended, o), RunEnd::Completed);
        holders::Install(nullptr);
        const std::vector<std::wstring> marks = MarkedSince(pendingBefore);
        RestorePending(pendingBefore);

        ASSERT_EQ(view.rows.size(), 4u);
        const wchar_t* labels[] = {L"Windows Temp", L"Custom Item", L"Plug"};
        for (size_t r = 0; r < 3; ++r) {
            EXPECT_EQ(view.rows[r].item, labels[r]);
            EXPECT_EQ(view.rows[r].status, c.rows[r]);
        }
        std::map<std::wstring, std::vector<std::wstring>> lines;
        for (size_t i = 0; i < details.TargetCount(); ++i)
            if (details.FateOf(i) == Fate::InUse || details.Kind(i) == RemovalKind::AtReboot)
                lines[details.Target(i)].push_back(ResultText(details, i));
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(marks, c.marks);
        // One question per item that left files in use, never one per file.
        if (c.named) {
            EXPECT_EQ(finder.asked, (std::vector<std::vector<std::wstring>>{{a}, {x, z}, {p1}}));
        }
        // The space released counts every file before its delete is tried,
        // as it always has, but a marked file: nothing until it is gone.
        EXPECT_EQ(counters.atRestart, c.mark ? 3 : 0);
        double markedSize = 0;
        for (const std::wstring& f : {a, z, p1}) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (c.mark && GetFileAttributesExW(f.c_str(), GetFileExInfoStandard, &data)) markedSize += data.nFileSizeLow;
        }
        if (bytes < 0) bytes = counters.bytes;
        EXPECT_GT(bytes, 0);
        EXPECT_EQ(counters.bytes, bytes - markedSize);
        ASSERT_EQ(view.announced.size(), 1u);
        const std::wstring end = EndMessage(counters.regCount, counters.bytes);
        EXPECT_EQ(view.announced[0].text,
                  c.mark ? end + L"\n\n3 files will be deleted at the next restart." : end);
        EXPECT_EQ(details.total().atReboot, c.mark ? 5u : 0u);
        EXPECT_EQ(details.total().notMarked, c.mark ? 2u : 0u);
        for (const std::wstring& gone : {temp_ / L"b.tmp", dir_ + L"\\w.bin", plug_ + L"\\sub"})
            EXPECT_FALSE(nvtest::Exists(gone));
        Release();
    }
}

// The key that keeps the marks refuses writes while it lives, as it does
// for an ordinary user.
class MarksRefused {
public:
    MarksRefused() {
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, READ_CONTROL | WRITE_DAC, &key_);
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        old_.resize(size);
        if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, old_.data(), &size) != ERROR_SUCCESS) old_.clear();
        PSECURITY_DESCRIPTOR sd = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRWDRC;;;WD)", SDDL_REVISION_1, &sd, nullptr);
        ok_ = !old_.empty() && RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
        LocalFree(sd);
    }
    ~MarksRefused() {
        if (ok_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, old_.data());
        RegCloseKey(key_);
    }
    bool ok() const { return ok_; }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> old_;
    bool ok_ = false;
};

TEST_F(InUseRun, WithoutTheRightsToMarkTheDetailsSaySo) {
    Prepare();
    Inifun::WriteIniValue(profile::ProfilePath(), L"Options", L"atreboot", L"1");
    const std::wstring before = PendingRaw();
    RecordingView view;
    RunDetails details(false, false);
    DetailsView front(view, details, DetailsView::Mode::Clean);
    RunOptions o;
    o.sink = &details;
    Counters counters;
    int unattended = 0;
    {
        MarksRefused refused;
        ASSERT_TRUE(refused.ok());
        EXPECT_EQ(CleanNow(front, env_, counters, unattended, o), RunEnd::Completed);
    }
    EXPECT_EQ(PendingRaw(), before);
    EXPECT_EQ(counters.atRestart, 0);
    // The folder of a file not marked is not marked either.
    std::map<std::wstring, std::wstring> lines;
    for (size_t i = 0; i < details.TargetCount(); ++i)
        if (details.Kind(i) == RemovalKind::AtReboot) lines[details.Target(i)] = ResultText(details, i);
    const std::wstring notMarked = L"Not marked for deletion at restart";
    EXPECT_EQ(lines, (std::map<std::wstring, std::wstring>{
                         {temp_ / L"a.tmp", notMarked + L": administrator rights needed"},
                         {dir_ + L"\\y\\z.bin", notMarked + L": administrator rights needed"},
                         {dir_ + L"\\y", notMarked},
                         {dir_ + L"\\x.bin", notMarked + L": other hard links"},
                         {dir_, notMarked},
                         {plug_ + L"\\p1.dat", notMarked + L": administrator rights needed"},
                         {plug_, notMarked}}));
    ASSERT_EQ(view.announced.size(), 1u);
    EXPECT_EQ(view.announced[0].text.find(L"restart"), std::wstring::npos);
    Release();
}

// Analyze never marks anything, whatever the box says.
TEST_F(InUseRun, AnalyzeMarksNothing) {
    Prepare();
    Inifun::WriteIniValue(profile::ProfilePath(), L"Options", L"atreboot", L"1");
    const std::wstring before = PendingRaw();
    RecordingView view;
    RunDetails details(true, false);
    DetailsView front(view, details, DetailsView::Mode::Analyze);
    RunOptions o;
    o.preview = true;
    o.sink = &details;
    Counters counters;
    int unattended = 0;
    EXPECT_EQ(CleanNow(front, env_, counters, unattended, o), RunEnd::Completed);
    EXPECT_EQ(PendingRaw(), before);
    EXPECT_EQ(counters.atRestart, 0);
    Release();
}

}  // namespace
