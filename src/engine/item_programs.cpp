#include "engine/item_programs.h"

#include "foundation/text.h"

namespace nv::engine {
namespace {

using Names = const wchar_t* const[];

constexpr Names kIe = {L"iexplore.exe"};
constexpr Names kFirefox = {L"firefox.exe"};
constexpr Names kOpera = {L"opera.exe"};
constexpr Names kNetscape = {L"netscape.exe", L"navigator.exe"};
constexpr Names kAolExplorer = {L"aolexplorer.exe"};
constexpr Names kMsnExplorer = {L"msn6.exe"};
constexpr Names kMozilla = {L"mozilla.exe", L"seamonkey.exe"};
constexpr Names kMaxthon = {L"maxthon.exe"};
constexpr Names kChrome = {L"chrome.exe"};
constexpr Names kSafari = {L"safari.exe"};

const BrowserGroup kBrowsers[] = {
    {L"EXPLORER", {L"Internet Explorer", kIe}},
    {L"FIREFOX", {L"Firefox", kFirefox}},
    {L"Opera", {L"Opera", kOpera}},
    {L"Netscape", {L"Netscape", kNetscape}},
    {L"AOL", {L"AOL Explorer", kAolExplorer}},
    {L"MSN", {L"MSN Explorer", kMsnExplorer}},
    {L"Mozilla", {L"Mozilla", kMozilla}},
    {L"Maxthon", {L"Maxthon", kMaxthon}},
    {L"Chrome", {L"Chrome", kChrome}},
    {L"Safari", {L"Safari", kSafari}},
};

constexpr Names kLiveMessenger = {L"msnmsgr.exe"};
constexpr Names kYahoo = {L"YahooMessenger.exe"};
constexpr Names kAim = {L"aim.exe", L"aim6.exe"};
constexpr Names kIcq = {L"icq.exe"};
constexpr Names kWord = {L"winword.exe"};
constexpr Names kExcel = {L"excel.exe"};
constexpr Names kPowerpoint = {L"powerpnt.exe"};
constexpr Names kFrontPage = {L"frontpg.exe"};
constexpr Names kAccess = {L"msaccess.exe"};
constexpr Names kPublisher = {L"mspub.exe"};
constexpr Names kInfoPath = {L"infopath.exe"};
constexpr Names kProject = {L"winproj.exe"};
constexpr Names kVisio = {L"visio.exe"};
constexpr Names kOrganizer = {L"mstore.exe"};
constexpr Names kPictureManager = {L"ois.exe"};
constexpr Names kSnapshot = {L"snapview.exe"};
constexpr Names kOutlookExpress = {L"msimn.exe"};
constexpr Names kWindowsMail = {L"winmail.exe"};

const ItemProgram kLiveMessengerProgram{L"Windows Live Messenger", kLiveMessenger};
const ItemProgram kYahooProgram{L"Yahoo! Messenger", kYahoo};
const ItemProgram kAimProgram{L"AOL Instant Messenger", kAim};
const ItemProgram kIcqProgram{L"ICQ", kIcq};
const ItemProgram kOutlookExpressProgram{L"Outlook Express", kOutlookExpress};
const ItemProgram kWindowsMailProgram{L"Windows Mail", kWindowsMail};

// Items of the mixed groups: matched by the start of the item's key.
struct KeyedProgram {
    const wchar_t* section;
    const wchar_t* keyPrefix;
    ItemProgram program;
};
const KeyedProgram kByItem[] = {
    {L"Messenger", L"msn", kLiveMessengerProgram},
    {L"Messenger", L"yahoo", kYahooProgram},
    {L"Messenger", L"aol", kAimProgram},
    {L"Messenger", L"icq", kIcqProgram},
    {L"OFFICE", L"word", {L"Microsoft Word", kWord}},
    {L"OFFICE", L"excel", {L"Microsoft Excel", kExcel}},
    {L"OFFICE", L"Powerpoint", {L"Microsoft Powerpoint", kPowerpoint}},
    {L"OFFICE", L"FrontPage", {L"Microsoft FrontPage", kFrontPage}},
    {L"OFFICE", L"Access", {L"Microsoft Access", kAccess}},
    {L"OFFICE", L"Publisher", {L"Microsoft Publisher", kPublisher}},
    {L"OFFICE", L"InfoPath", {L"Microsoft InfoPath", kInfoPath}},
    {L"OFFICE", L"Project", {L"Microsoft Project", kProject}},
    {L"OFFICE", L"Visio", {L"Microsoft Visio", kVisio}},
    {L"OFFICE", L"Organizer", {L"Clip Organizer", kOrganizer}},
    {L"OFFICE", L"Picture", {L"Microsoft Office Picture Manager", kPictureManager}},
    {L"OFFICE", L"Viewer", {L"Microsoft Snapshot Viewer", kSnapshot}},
    {L"outlook", L"", kOutlookExpressProgram},
    {L"mail", L"", kWindowsMailProgram},
};

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

}  // namespace

std::span<const BrowserGroup> BrowserGroups() { return kBrowsers; }

const ItemProgram* ProgramOf(std::wstring_view section, std::wstring_view key) {
    for (const auto& b : kBrowsers)
        if (SameText(section, b.section)) return &b.program;
    for (const auto& k : kByItem)
        if (SameText(section, k.section) && StartsWith(key, k.keyPrefix)) return &k.program;
    return nullptr;
}

}  // namespace nv::engine
