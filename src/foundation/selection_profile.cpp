#include "foundation/selection_profile.h"

#include "foundation/app_path.h"
#include "foundation/text.h"
#include "foundation/ini_access.h"

namespace nv::profile {
namespace {

constexpr ItemKey kItemKeys[] = {
    {L"EXPLORER", L"location", 1, L"IE Address Bar History", L"Internet Explorer"},
    {L"EXPLORER", L"history", 2, L"IE Internet History Files", L"Internet Explorer"},
    {L"EXPLORER", L"cache", 3, L"IE Internet Cache", L"Internet Explorer"},
    {L"EXPLORER", L"cookies", 4, L"IE Cookies", L"Internet Explorer"},
    {L"EXPLORER", L"favorites", 5, L"IE Favorites", L"Internet Explorer"},
    {L"EXPLORER", L"autocomplete", 6, L"IE Autocomplete memory", L"Internet Explorer"},
    {L"EXPLORER", L"downloaded", 7, L"IE Downloaded program Files Directory", L"Internet Explorer"},
    {L"EXPLORER", L"index", 54, L"Index.dat", L"Internet Explorer"},
    {L"EXPLORER", L"inprivate", 135, L"Inprivate Filter", L"Internet Explorer"},
    {L"FIREFOX", L"Address", 42, L"Address Bar History", L"Mozilla Firefox"},
    {L"FIREFOX", L"Cookies", 43, L"Cookies", L"Mozilla Firefox"},
    {L"FIREFOX", L"Cache", 44, L"Cache", L"Mozilla Firefox"},
    {L"FIREFOX", L"History", 45, L"History Files", L"Mozilla Firefox"},
    {L"FIREFOX", L"Download", 53, L"Download Manager History", L"Mozilla Firefox"},
    {L"FIREFOX", L"bookmarks", 55, L"Bookmarks", L"Mozilla Firefox"},
    {L"FIREFOX", L"passwords", 56, L"Saved Passwords", L"Mozilla Firefox"},
    {L"AOL", L"Address", 51, L"Address Bar History", L"AOL Explorer"},
    {L"AOL", L"Cookies", 50, L"Cookies", L"AOL Explorer"},
    {L"AOL", L"Cache", 49, L"Cache", L"AOL Explorer"},
    {L"AOL", L"History", 48, L"History Files", L"AOL Explorer"},
    {L"OPERA", L"Address", 8, L"Address Bar History", L"Opera"},
    {L"OPERA", L"Cookies", 10, L"Cookies", L"Opera"},
    {L"OPERA", L"Cache", 11, L"Cache", L"Opera"},
    {L"OPERA", L"History", 12, L"History Files", L"Opera"},
    {L"OPERA", L"downloads", 57, L"Downloads History", L"Opera"},
    {L"OPERA", L"Sessions", 58, L"Sessions", L"Opera"},
    {L"OPERA", L"Images", 59, L"Site Images", L"Opera"},
    {L"OPERA", L"Bookmarks", 60, L"Bookmarks", L"Opera"},
    {L"OPERA", L"Passwords", 61, L"Saved Passwords", L"Opera"},
    {L"NETSCAPE", L"Location", 18, L"Address Bar History", L"Netscape Navigator"},
    {L"NETSCAPE", L"Cookies", 17, L"Cookies", L"Netscape Navigator"},
    {L"NETSCAPE", L"Cache", 16, L"Cache", L"Netscape Navigator"},
    {L"NETSCAPE", L"History", 15, L"History files", L"Netscape Navigator"},
    {L"NETSCAPE", L"download", 64, L"Download Manager History", L"Netscape Navigator"},
    {L"NETSCAPE", L"bookmarks", 63, L"Bookmarks", L"Netscape Navigator"},
    {L"NETSCAPE", L"passwords", 62, L"Saved Passwords", L"Netscape Navigator"},
    {L"MSN", L"Location", 23, L"Address Bar History", L"MSN Exploer"},
    {L"MSN", L"Cookies", 22, L"Cookies", L"MSN Exploer"},
    {L"MSN", L"Cache", 21, L"Cache", L"MSN Exploer"},
    {L"MSN", L"History", 20, L"History Files", L"MSN Exploer"},
    {L"Mozilla", L"Address", 72, L"Address Bar History", L"Mozilla"},
    {L"Mozilla", L"Cookies", 71, L"Cookies", L"Mozilla"},
    {L"Mozilla", L"Cache", 70, L"Cache", L"Mozilla"},
    {L"Mozilla", L"History", 69, L"History Files", L"Mozilla"},
    {L"Maxthon", L"keywords", 129, L"Typed Urls", L"Maxthon Browser"},
    {L"Maxthon", L"pages", 130, L"Information about open pages", L"Maxthon Browser"},
    {L"Maxthon", L"settings", 131, L"Maxthon settings", L"Maxthon Browser"},
    {L"Maxthon", L"groups", 132, L"Maxthon History Files", L"Maxthon Browser"},
    {L"Maxthon", L"folder", 134, L"Maxthon default save folder", L"Maxthon Browser"},
    {L"Chrome", L"download", 136, L"Download History", L"Google Chrome"},
    {L"Chrome", L"Cookies", 137, L"Cookies", L"Google Chrome"},
    {L"Chrome", L"Cache", 138, L"Cache", L"Google Chrome"},
    {L"Chrome", L"History", 139, L"History Files", L"Google Chrome"},
    {L"Chrome", L"Forms", 141, L"Forms Data/Saved passwords", L"Google Chrome"},
    {L"Chrome", L"Session", 142, L"Session", L"Google Chrome"},
    {L"Safari", L"history", 149, L"History", L"Safari"},
    {L"Safari", L"pages", 148, L"Information about open pages", L"Safari"},
    {L"Safari", L"Cache", 147, L"Cache", L"Safari"},
    {L"Safari", L"Cookies", 146, L"Cookies", L"Safari"},
    {L"Safari", L"Download", 144, L"Download information", L"Safari"},
    {L"Safari", L"Autocomplete", 150, L"Autocomplete", L"Safari"},
    {L"Safari", L"RecentSearches", 151, L"Recent Searches", L"Safari"},
    {L"Safari", L"Images", 152, L"Webpage Previews Image", L"Safari"},
    {L"WINDOWS", L"recent", 24, L"Recent Documents History", L"Windows"},
    {L"WINDOWS", L"run", 25, L"Start Menu Run History", L"Windows"},
    {L"WINDOWS", L"search", 26, L"Start Menu Search History", L"Windows"},
    {L"WINDOWS", L"temp", 27, L"Windows Temp", L"Windows"},
    {L"WINDOWS", L"recycle", 30, L"Recycle Bin", L"Windows"},
    {L"WINDOWS", L"open", 32, L"Open/Save Dialog Box History", L"Windows"},
    {L"WINDOWS", L"scandisk", 33, L"Scandisk Temp Files", L"Windows"},
    {L"WINDOWS", L"passwords", 34, L"Windows Passwords(Only 9X/Me)", L"Windows"},
    {L"WINDOWS", L"clip", 35, L"Windows Clipboard", L"Windows"},
    {L"WINDOWS", L"wordpad", 28, L"Wordpad Recent Files", L"Windows"},
    {L"WINDOWS", L"paint", 29, L"Windows Paint Recent Files", L"Windows"},
    {L"WINDOWS", L"picturelocation", 86, L"The Custom Locations From Picture Location Drop-down Box", L"Windows"},
    {L"WINDOWS", L"DirectX", 87, L"DirectX Most Recent Applications", L"Windows"},
    {L"WINDOWS", L"findcomputer", 88, L"Find Computer Dialog Box", L"Windows"},
    {L"WINDOWS", L"findfiles", 89, L"Find Files Dialog Box", L"Windows"},
    {L"WINDOWS", L"mapnetwork", 90, L"Map Network Drive MRU", L"Windows"},
    {L"WINDOWS", L"management", 91, L"Microsoft Management Console Recent File List", L"Windows"},
    {L"WINDOWS", L"notification", 92, L"Past Items From The Notification Area", L"Windows"},
    {L"WINDOWS", L"registryeditor", 93, L"Registry Editor Last Opened Key", L"Windows"},
    {L"WINDOWS", L"searchfolders", 94, L"Saved Search Folders From windows Vista", L"Windows"},
    {L"WINDOWS", L"menuorder", 95, L"Start Menu Programs And Favorites Menu Order", L"Windows"},
    {L"WINDOWS", L"recentlyused", 96, L"The List of Most Recently Used Files and Folders", L"Windows"},
    {L"WINDOWS", L"thumbs", 97, L"Thumbs.db", L"Windows"},
    {L"WINDOWS", L"streams", 98, L"Windows Explorer Streams MRUs", L"Windows"},
    {L"WINDOWS", L"swap", 99, L"Windows Swap/Paging File", L"Windows"},
    {L"WINDOWS", L"userassist", 100, L"Windows Userassist MRUs", L"Windows"},
    {L"WINDOWS", L"unread", 101, L"Windows XP unread mail count", L"Windows"},
    {L"OFFICE", L"word", 37, L"Microsoft Word", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"excel", 38, L"Microsoft Excel", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"powerpoint", 39, L"Microsoft PowerPoint", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"frontpage", 40, L"Microsoft FrontPage", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Publisher", 102, L"Microsoft Publisher", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"InfoPath", 103, L"Microsoft InfoPath", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Project", 104, L"Microsoft Project", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Visio", 105, L"Microsoft Visio", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Organizer", 106, L"Microsoft Clip Organizer", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Settings", 107, L"Microsoft Office Save My Settings", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Picture", 108, L"Microsoft Office Picture Manager", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"Viewer", 109, L"Microsoft Snapshot Viewer", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"OFFICE", L"access", 36, L"Microsoft Access", L"MS Office(support 97, 2000, XP, 2003, 2007,2010)"},
    {L"Custom", L"Custom", 52, L"Custom Clean Items", L"Select Folder and Files That will Be Erased"},
    {L"Messenger", L"msnchat", 65, L"My Chat Log folder", L"Windows Live Messenger"},
    {L"Messenger", L"msnfiles", 66, L"My Received Files folder", L"Windows Live Messenger"},
    {L"Messenger", L"aolsettings", 67, L"Aol Messenger settings", L"AOL Instant Messenger"},
    {L"Messenger", L"aolnames", 73, L"Recent screen names", L"AOL Instant Messenger"},
    {L"Messenger", L"icqsign", 74, L"The Sign in history", L"ICQ"},
    {L"Messenger", L"icquser", 75, L"User history", L"ICQ"},
    {L"Messenger", L"icqcontact", 76, L"Contact lists", L"ICQ"},
    {L"Messenger", L"icqaccount", 77, L"ICQ Account", L"ICQ"},
    {L"Messenger", L"icqsearch", 78, L"Toolbar search history", L"ICQ"},
    {L"Messenger", L"icqfiles", 79, L"Received files", L"ICQ"},
    {L"Messenger", L"yahoopage", 80, L"Page settings", L"Yahoo! Messenger"},
    {L"Messenger", L"yahooprofiles", 81, L"Reset Yahoo! profiles", L"Yahoo! Messenger"},
    {L"Messenger", L"yahoofiles", 82, L"Temporary Internet Files", L"Yahoo! Messenger"},
    {L"Messenger", L"yahoologs", 143, L"log Files", L"Yahoo! Messenger"},
    {L"Messenger", L"aolpassword", 83, L"Aol Messenger user password", L"AOL Instant Messenger"},
    {L"Messenger", L"aolbuddy", 84, L"Information about Buddy list", L"AOL Instant Messenger"},
    {L"Messenger", L"aollogs", 85, L"Aol Messenger logs", L"AOL Instant Messenger"},
    {L"outlook", L"address", 110, L"Address Book", L"Outlook Express"},
    {L"outlook", L"accounts", 111, L"Accounts Settings", L"Outlook Express"},
    {L"outlook", L"deleted", 112, L"Deleted Email", L"Outlook Express"},
    {L"outlook", L"sent", 113, L"Sent Email", L"Outlook Express"},
    {L"outlook", L"outbox", 114, L"Outbox Email", L"Outlook Express"},
    {L"outlook", L"blocked", 115, L"Blocked Senders List", L"Outlook Express"},
    {L"outlook", L"created", 116, L"Folders You Created", L"Outlook Express"},
    {L"outlook", L"mailrules", 117, L"Mail Rules", L"Outlook Express"},
    {L"outlook", L"newsrules", 118, L"News Rules", L"Outlook Express"},
    {L"outlook", L"signatures", 119, L"Signatures", L"Outlook Express"},
    {L"mail", L"Recently", 120, L"Windows Mail Recently", L"Windows Mail"},
    {L"mail", L"Signatures", 121, L"Windows Mail Signatures", L"Windows Mail"},
    {L"mail", L"Block", 122, L"Junk Mail Block Senders list", L"Windows Mail"},
    {L"mail", L"Safe", 123, L"Junk Mail Safe Senders list", L"Windows Mail"},
    {L"mail", L"mailrules", 124, L"Windows Mail mail rules", L"Windows Mail"},
    {L"mail", L"newsrules", 125, L"Windows Mail news rules", L"Windows Mail"},
    {L"mail", L"accounts", 126, L"Windows mail accounts", L"Windows Mail"},
};

constexpr const wchar_t* kItemSections[] = {
    L"EXPLORER", L"FIREFOX", L"AOL", L"OPERA", L"NETSCAPE", L"MSN", L"Mozilla", L"Maxthon",
    L"Chrome", L"Safari", L"WINDOWS", L"OFFICE", L"Custom", L"Messenger", L"outlook", L"mail",
};

}  // namespace

std::span<const ItemKey> ItemKeys() { return kItemKeys; }
std::span<const wchar_t* const> ItemSections() { return kItemSections; }

std::wstring ProfilePath() { return AppFile(L"prisd.dat"); }

std::wstring Read(const std::wstring& section, const std::wstring& key) {
    return Inifun::ReadIniValue(ProfilePath(), section, key);
}

bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    return Inifun::WriteIniValue(ProfilePath(), section, key, value);
}

std::wstring UnsavedText(std::span<const std::wstring> files) {
    std::wstring text = L"Your settings could not be saved. These files cannot be written:\n";
    for (const auto& f : files) text += L"\n" + f;
    return text;
}

bool IsTextFlagOn(const std::wstring& value) { return value == L"1"; }

bool IsNumericFlagOn(const std::wstring& value) {
    auto n = ParseNumber(value);
    return n && *n == 1.0;
}

bool TextFlag(const std::wstring& section, const std::wstring& key) { return IsTextFlagOn(Read(section, key)); }
bool NumericFlag(const std::wstring& section, const std::wstring& key) {
    return IsNumericFlagOn(Read(section, key));
}

std::array<std::wstring, 7> ReadDayMask(const std::wstring& text) {
    std::wstring t = text.empty() ? std::wstring(L"0000000") : text;
    std::array<std::wstring, 7> days;
    for (size_t i = 0; i < 6; ++i) days[i] = i < t.size() ? t.substr(i, 1) : std::wstring();
    days[6] = t.substr(t.size() - 1);
    return days;
}

std::wstring JoinDayMask(const std::array<bool, 7>& days) {
    std::wstring s;
    for (bool d : days) s += d ? L'1' : L'0';
    return s;
}

}  // namespace nv::profile
