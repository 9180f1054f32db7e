#include "engine/catalogue.h"

#include "engine/ie_items.h"
#include "engine/office_items.h"
#include "engine/run_view.h"
#include "engine/windows_items.h"
#include "foundation/delete_at_restart.h"
#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/launcher.h"
#include "foundation/registry_access.h"
#include "foundation/selection_profile.h"
#include "foundation/system.h"

namespace nv::engine {
namespace {

constexpr Step KeyDel(const wchar_t* sub, Root r = Root::HKCU) {
    return {Op::DeleteRegKey, Base::Absolute, r, sub};
}
constexpr Step TreeDel(const wchar_t* sub, Root r = Root::HKCU) {
    return {Op::DeleteRegTree, Base::Absolute, r, sub};
}
constexpr Step ValueDel(const wchar_t* sub, const wchar_t* value, Root r = Root::HKCU) {
    return {Op::DeleteRegValue, Base::Absolute, r, sub, value};
}
constexpr Step Special(StepFunction fn) { return {Op::Special, Base::Absolute, Root::HKCU, L"", L"", 0, fn}; }
constexpr Step FileOp(Op op, Base base, const wchar_t* path, const wchar_t* arg = L"") {
    return {op, base, Root::HKCU, path, arg};
}
constexpr Step When(Step s, Cond when) {
    s.when = when;
    return s;
}
constexpr Step Keys(double n) { return {Op::AddKeys, Base::Absolute, Root::HKCU, L"", L"", n}; }
constexpr Step Bytes(double n) { return {Op::AddBytes, Base::Absolute, Root::HKCU, L"", L"", n}; }
constexpr Step Command(const wchar_t* commandLine, Cond when) {
    return When({Op::StartCommand, Base::Absolute, Root::HKCU, commandLine}, when);
}
constexpr Step Status(const wchar_t* text) { return {Op::Status, Base::Absolute, Root::HKCU, L"", text}; }
constexpr Step AtReboot(Base base, const wchar_t* path) { return {Op::DeleteAtReboot, base, Root::HKCU, path}; }

// ---- Windows -------------------------------------------------------------

#define EXPLORER_KEY L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"
#define SEARCH_BARS L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}"
#define ACMRU L"Software\\Microsoft\\Search Assistant\\ACMru"
#define COMDLG EXPLORER_KEY L"\\ComDlg32"

constexpr Step kRecent[] = {Special(windows::ClearRecentDocuments)};
constexpr Step kRun[] = {KeyDel(EXPLORER_KEY L"\\RunMRU")};
constexpr Step kSearch[] = {
    KeyDel(EXPLORER_KEY L"\\Doc Find Spec MRU"), KeyDel(SEARCH_BARS L"\\ComputerNameMRU"),
    KeyDel(SEARCH_BARS L"\\ContainingTextMRU"),  KeyDel(SEARCH_BARS L"\\FilesNamedMRU"),
    KeyDel(ACMRU L"\\5603"),                     KeyDel(ACMRU L"\\5604"),
    KeyDel(ACMRU L"\\5647"),                     KeyDel(ACMRU L"\\5601"),
    KeyDel(ACMRU L"\\5602"),                     KeyDel(EXPLORER_KEY L"\\FindComputerMRU"),
};
constexpr Step kTemp[] = {Special(windows::CleanTempFolders)};
constexpr Step kRecycle[] = {Special(windows::EmptyRecycleBin)};
constexpr Step kOpen[] = {TreeDel(COMDLG L"\\OpenSaveMRU")};
constexpr Step kScandisk[] = {Special(windows::CleanScandiskFolders)};
constexpr Step kClip[] = {Special(windows::EmptyClipboardStep)};
constexpr Step kWordpad[] = {KeyDel(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List")};
constexpr Step kPaint[] = {KeyDel(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List")};
constexpr Step kPicture[] = {KeyDel(EXPLORER_KEY L"\\Wallpaper")};
constexpr Step kDirectX[] = {KeyDel(L"SOFTWARE\\Microsoft\\Direct3D\\MostRecentApplication", Root::HKLM),
                             KeyDel(L"SOFTWARE\\Microsoft\\DirectDraw\\MostRecentApplication", Root::HKLM)};
constexpr Step kFindComputer[] = {KeyDel(EXPLORER_KEY L"\\FindComputerMRU"), KeyDel(SEARCH_BARS L"\\ComputerNameMRU"),
                                  KeyDel(ACMRU)};
constexpr Step kFindFiles[] = {KeyDel(EXPLORER_KEY L"\\Doc Find Spec MRU"),
                               KeyDel(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars"), KeyDel(ACMRU),
                               KeyDel(SEARCH_BARS L"\\FilesNamedMRU")};
constexpr Step kMapNetwork[] = {KeyDel(EXPLORER_KEY L"\\Map Network Drive MRU")};
constexpr Step kManagement[] = {KeyDel(L"Software\\Microsoft\\Microsoft Management Console\\Recent File List")};
#define TRAYNOTIFY_NEW L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify"
constexpr Step kNotification[] = {ValueDel(EXPLORER_KEY L"\\TrayNotify", L"IconStreams"),
                                  ValueDel(EXPLORER_KEY L"\\TrayNotify", L"PastIconsStream"),
                                  ValueDel(TRAYNOTIFY_NEW, L"IconStreams"),
                                  ValueDel(TRAYNOTIFY_NEW, L"PastIconsStream")};
constexpr Step kRegedit[] = {TreeDel(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit")};
constexpr Step kSearchFolders[] = {FileOp(Op::DeleteAllFilesInTree, Base::Personal, L"\\Searches")};
constexpr Step kMenuOrder[] = {TreeDel(EXPLORER_KEY L"\\MenuOrder")};
constexpr Step kRecentlyUsed[] = {TreeDel(COMDLG L"\\LastVisitedMRU"), TreeDel(COMDLG L"\\OpenSaveMRU"),
                                  TreeDel(COMDLG L"\\CIDSizeMRU"), TreeDel(COMDLG L"\\LastVisitedPidlMRU"),
                                  TreeDel(COMDLG L"\\OpenSavePidlMRU")};
constexpr Step kThumbs[] = {Special(windows::DeleteThumbnailCaches)};
constexpr Step kStreams[] = {TreeDel(EXPLORER_KEY L"\\StreamMRU")};
#define USERASSIST EXPLORER_KEY L"\\UserAssist"
constexpr Step kUserAssist[] = {TreeDel(USERASSIST L"\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count"),
                                TreeDel(USERASSIST L"\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count")};
constexpr Step kUnread[] = {TreeDel(L"Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail")};

const Item kWindows[] = {
    {L"recent", L"Recent Documents History", kRecent, 33},
    {L"run", L"Start Menu Run History", kRun, 34},
    {L"search", L"Start Menu Search History", kSearch, 35},
    {L"temp", L"Windows Temp", kTemp, 36},
    {L"recycle", L"Recycle Bin", kRecycle, 37},
    {L"open", L"Open/Save Dialog Box History", kOpen, 38},
    {L"scandisk", L"Scandisk Temp Files", kScandisk, 39},
    {L"passwords", L"Windows Passwords(Only 9X/Me)", {}, 40},
    {L"clip", L"Windows Clipboard", kClip, 41},
    {L"wordpad", L"Wordpad Recent Files", kWordpad, 41},
    {L"paint", L"Windows Paint Recent Files", kPaint, 41},
    {L"picturelocation", L"The custom locations from the picture location drop-down box", kPicture},
    {L"DirectX", L"DirectX most recent applications", kDirectX},
    {L"findcomputer", L"Find computer dialog box", kFindComputer},
    {L"findfiles", L"Find files dialog box", kFindFiles},
    {L"mapnetwork", L"Map network drive MRU", kMapNetwork},
    {L"management", L"Microsoft management console recent file list", kManagement},
    {L"notification", L"Past items from the notification area", kNotification},
    {L"registryeditor", L"Registry editor last opened key", kRegedit},
    {L"searchfolders", L"Saved search folders from windows vista", kSearchFolders, 41},
    {L"menuorder", L"Start menu programs and favorites menu order", kMenuOrder},
    {L"recentlyused", L"The list of most recently used files and folders", kRecentlyUsed},
    {L"thumbs", L"Thumbs.db", kThumbs, 42},
    {L"streams", L"Windows explorer streams MRUs", kStreams},
    {L"swap", L"windows swap/paging file", {}, 43},
    {L"userassist", L"Windows userassist MRUs", kUserAssist},
    {L"unread", L"Windows XP unread mail count", kUnread},
};

// ---- Internet Explorer (AOL Explorer repeats items 1 to 4) -------------

#define CLEAR_TRACKS L"RunDll32.exe InetCpl.cpl,ClearMyTracksByProcess "

constexpr Step kTypedUrls[] = {Special(ie::TypedUrls)};
constexpr Step kIeHistory[] = {Special(ie::ClearUrlHistory), Command(CLEAR_TRACKS L"1", Cond::IeAbove6)};
constexpr Step kIeCache[] = {FileOp(Op::DeleteAllFilesInTree, Base::Cache, L""),
                             Command(CLEAR_TRACKS L"8 ", Cond::IeAbove6)};
constexpr Step kIeCookies[] = {Special(ie::Cookies)};
constexpr Step kIeFavorites[] = {FileOp(Op::EmptyFolder, Base::Favorites, L"")};
constexpr Step kIeAutocomplete[] = {
    KeyDel(L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW"),
    KeyDel(L".DEFAULT\\Software\\Microsoft\\Internet Explorer\\IntelliForms", Root::HKU),
    Command(CLEAR_TRACKS L"16", Cond::IeAbove6),
    Command(CLEAR_TRACKS L"32", Cond::IeAbove6),
    When(Special(ie::ClearFormsIE6), Cond::Ie6),
    Special(ie::FocusMainWindow),
    Keys(3),
};
constexpr Step kIeDownloaded[] = {FileOp(Op::DeleteAllFiles, Base::ActiveXCache, L"")};
constexpr Step kIeIndex[] = {
    Status(L"Clearing IE Cache Index.dat File Content......"),
    AtReboot(Base::Cache, L"\\Content.IE5\\index.dat"),
    Status(L"Clearing IE History Index.dat File Content......"),
    AtReboot(Base::History, L"\\History.IE5\\index.dat"),
    Status(L"Clearing IE Cookies Index.dat File Content......"),
    AtReboot(Base::Cookies, L"\\index.dat"),
    Bytes(3500000),
};
constexpr Step kIeInprivate[] = {
    When(FileOp(Op::DeleteFileInFolder, Base::UserProfile, L"\\PrivacIE", L"index.dat"), Cond::Ie8OrLater)};

const Item kExplorerItems[] = {
    {L"location", L"IE Location Bar History", kTypedUrls, 5},
    {L"history", L"IE Internet History Files", kIeHistory, 6},
    {L"cache", L"IE Internet Cache", kIeCache, 8},
    {L"cookies", L"IE Cookies", kIeCookies, 10},
    {L"favorites", L"IE Favorites", kIeFavorites, 11},
    {L"autocomplete", L"IE Autocomplete Memory", kIeAutocomplete, 11},
    {L"downloaded", L"IE Downloaded program Files Directory", kIeDownloaded, 11},
    {L"index", L"IE Index.dat Files", kIeIndex, -1, Gate::Text, L"Need to reboot your computer!"},
    {L"inprivate", L"IE Inprivate Filter", kIeInprivate, 12},
};

// ---- Firefox, Opera, Netscape --------------------------------------------

#define FIREFOX L"\\Mozilla\\Firefox\\Profiles"
constexpr Step kFirefoxPlaces[] = {FileOp(Op::DeleteFileInTree, Base::AppData, FIREFOX, L"places.sqlite")};
constexpr Step kFirefoxCookies[] = {FileOp(Op::DeleteFileInTree, Base::AppData, FIREFOX, L"cookies.sqlite")};
constexpr Step kFirefoxCache[] = {FileOp(Op::DeleteFolderInTree, Base::LocalAppData, FIREFOX, L"cache")};
constexpr Step kFirefoxDownloads[] = {FileOp(Op::DeleteFileInTree, Base::AppData, FIREFOX, L"downloads.sqlite")};
constexpr Step kFirefoxPasswords[] = {FileOp(Op::DeleteFileInTree, Base::AppData, FIREFOX, L"key3.db")};

const Item kFirefox[] = {
    {L"Address", L"Firefox Address Bar History", kFirefoxPlaces, 12},
    {L"Cookies", L"Firefox Cookies", kFirefoxCookies, 13},
    {L"cache", L"Firefox Cache", kFirefoxCache, 14},
    {L"History", L"Firefox History Files", kFirefoxPlaces, 15},
    {L"Download", L"Firefox Download Manager History", kFirefoxDownloads, 15},
    {L"bookmarks", L"Firefox Bookmarks Files", kFirefoxPlaces},
    {L"passwords", L"Firefox Saved Passwords", kFirefoxPasswords, 16},
};

#define OPERA L"\\Opera\\Opera"
constexpr Step kOperaTyped[] = {FileOp(Op::DeleteFileInTree, Base::AppData, OPERA, L"typed_history.xml")};
constexpr Step kOperaCookies[] = {FileOp(Op::DeleteFileInTree, Base::AppData, OPERA, L"cookies4.dat")};
constexpr Step kOperaCache[] = {FileOp(Op::DeleteFolderInTree, Base::LocalAppData, OPERA, L"cache")};
constexpr Step kOperaHistory[] = {FileOp(Op::DeleteFileInTree, Base::AppData, OPERA, L"global_history.dat")};
constexpr Step kOperaDownloads[] = {FileOp(Op::DeleteFileInTree, Base::AppData, OPERA, L"download.dat")};
constexpr Step kOperaSessions[] = {FileOp(Op::DeleteFolderInTree, Base::AppData, OPERA, L"sessions")};
constexpr Step kOperaImages[] = {FileOp(Op::DeleteFolderInTree, Base::LocalAppData, OPERA, L"thumbnails")};
constexpr Step kOperaBookmarks[] = {FileOp(Op::DeleteFileInTree, Base::AppData, OPERA, L"bookmarks.adr")};
constexpr Step kOperaPasswords[] = {FileOp(Op::DeleteFileInTree, Base::AppData, OPERA, L"wand.dat")};

const Item kOpera[] = {
    {L"Address", L"Opera Address Bar History", kOperaTyped, 17},
    {L"Cookies", L"Opera Cookies", kOperaCookies, 18},
    {L"cache", L"Opera Cache", kOperaCache, 19},
    {L"History", L"Opera History Files", kOperaHistory},
    {L"downloads", L"Opera Download History", kOperaDownloads},
    {L"Sessions", L"Opera Sessions Files", kOperaSessions},
    {L"Images", L"Opera Site Image Files", kOperaImages},
    {L"Bookmarks", L"Opera Bookmarks", kOperaBookmarks},
    {L"Passwords", L"Opera Passwords", kOperaPasswords, 20},
};

constexpr Step NetscapeFile(const wchar_t* name) {
    return FileOp(Op::DeleteFileInTree, Base::NetscapeProfiles, L"", name);
}
constexpr Step kNetscapeHistory[] = {NetscapeFile(L"history.dat")};
constexpr Step kNetscapeCookies[] = {NetscapeFile(L"cookies.txt")};
constexpr Step kNetscapeCache[] = {FileOp(Op::DeleteFolderInTree, Base::NetscapeProfiles, L"", L"cache"),
                                   NetscapeFile(L"localstore.rdf")};
constexpr Step kNetscapeDownloads[] = {NetscapeFile(L"downloads.rdf")};
constexpr Step kNetscapeBookmarks[] = {NetscapeFile(L"bookmarks.html")};
constexpr Step kNetscapePasswords[] = {NetscapeFile(L"signons2.txt"), NetscapeFile(L"signons.txt")};

const Item kNetscape[] = {
    {L"Location", L"Netscape Address Bar History", kNetscapeHistory, 21},
    {L"Cookies", L"Netscape Cookies", kNetscapeCookies, 22},
    {L"Cache", L"Netscape Cache", kNetscapeCache, 23},
    {L"History", L"Netscape History Files", kNetscapeHistory},
    {L"download", L"Netscape Download Manager History", kNetscapeDownloads},
    {L"bookmarks", L"Netscape Bookmarks", kNetscapeBookmarks},
    {L"passwords", L"Netscape Saved Passwords", kNetscapePasswords, 24},
};

// ---- AOL Explorer, MSN Explorer, Mozilla -------------------------------

constexpr Step kAolTypedUrls[] = {Special(ie::TypedUrls), Keys(10)};

const Item kAol[] = {
    {L"Address", L"AOL Explorer Address Bar History", kAolTypedUrls, 25},
    {L"cookies", L"AOL Explorer Cookies", kIeCookies, 26},
    {L"cache", L"AOL Explorer Cache", kIeCache, 27},
    {L"history", L"AOL Explorer History Files", kIeHistory, 28},
};

constexpr Step kMsnUsers[] = {KeyDel(L"Software\\Microsoft\\MSN6\\Users")};
constexpr Step kMsnCache[] = {Bytes(500000)};

const Item kMsn[] = {
    {L"Location", L"MSN Explorer Address Bar History", kMsnUsers, 29},
    {L"cookies", L"MSN Explorer Cookies", {}, 30},
    {L"cache", L"MSN Explorer Cache", kMsnCache, 31},
    {L"history", L"MSN Explorer History Files", {}, 32},
};

#define MOZILLA L"\\Mozilla\\Profiles"
constexpr Step kMozillaHistory[] = {FileOp(Op::DeleteFileInTree, Base::AppData, MOZILLA, L"history.dat")};
constexpr Step kMozillaCookies[] = {FileOp(Op::DeleteFileInTree, Base::AppData, MOZILLA, L"cookies.txt")};
constexpr Step kMozillaCache[] = {FileOp(Op::DeleteFileInTree, Base::AppData, MOZILLA, L"localstore.rdf"),
                                  FileOp(Op::DeleteFolderInTree, Base::AppData, MOZILLA, L"cache")};

const Item kMozilla[] = {
    {L"Address", L"Mozilla Address Bar History", kMozillaHistory},
    {L"Cookies", L"Mozilla Cookies", kMozillaCookies},
    {L"cache", L"Mozilla Cache", kMozillaCache},
    {L"History", L"Mozilla History Files", kMozillaHistory},
};

// ---- Maxthon (numeric gate), Chrome, Safari -----------------------------

#define MAXTHON_CONFIG L"\\SharedAccount\\Config"
#define MAXTHON_DATA L"\\SharedAccount\\Data"
constexpr Step kMaxthonTyped[] = {
    {Op::DeleteIniSection, Base::Maxthon, Root::HKCU, MAXTHON_CONFIG L"\\Config.ini", L"TypedUrls"}};
constexpr Step kMaxthonPages[] = {FileOp(Op::DeleteFileInFolder, Base::Maxthon, MAXTHON_DATA, L"Dynamic.ini"),
                                  FileOp(Op::DeleteFileInFolder, Base::Maxthon, MAXTHON_CONFIG, L"Config.ini")};
constexpr Step kMaxthonSettings[] = {FileOp(Op::DeleteFileInFolder, Base::Maxthon, MAXTHON_CONFIG, L"Config.ini")};
constexpr Step kMaxthonHistory[] = {FileOp(Op::DeleteFileInFolder, Base::Maxthon, MAXTHON_DATA, L"history2.dat"),
                                    FileOp(Op::DeleteFileInFolder, Base::Maxthon, MAXTHON_DATA, L"LastSession.ini"),
                                    FileOp(Op::DeleteFileInFolder, Base::Maxthon, MAXTHON_DATA, L"TmpSession.ini")};
constexpr Step kMaxthonDownloads[] = {FileOp(Op::EmptyFolder, Base::Maxthon, L"\\SharedAccount\\Downloads")};

const Item kMaxthon[] = {
    {L"keywords", L"Maxthon Typed Urls", kMaxthonTyped, -1, Gate::Numeric},
    {L"pages", L"Maxthon information about open pages", kMaxthonPages, -1, Gate::Numeric},
    {L"settings", L"Maxthon settings", kMaxthonSettings, -1, Gate::Numeric},
    {L"groups", L"Maxthon History Files", kMaxthonHistory, -1, Gate::Numeric},
    {L"folder", L"Maxthon information about open pages", kMaxthonDownloads, -1, Gate::Numeric},
};

#define CHROME L"\\Google\\Chrome\\User Data\\Default"
constexpr Step ChromeFile(const wchar_t* name) { return FileOp(Op::DeleteFileInTree, Base::LocalAppData, CHROME, name); }
constexpr Step kChromeHistory[] = {ChromeFile(L"History")};
constexpr Step kChromeCookies[] = {ChromeFile(L"Cookies")};
constexpr Step kChromeCache[] = {FileOp(Op::DeleteAllFilesInTree, Base::LocalAppData, CHROME L"\\Cache")};
constexpr Step kChromeForms[] = {ChromeFile(L"Web Data")};
constexpr Step kChromeSession[] = {ChromeFile(L"Last Session"), ChromeFile(L"Current Session"), ChromeFile(L"Top Sites")};

const Item kChrome[] = {
    {L"download", L"Chrome download History", kChromeHistory},
    {L"Cookies", L"Chrome Cookies", kChromeCookies},
    {L"Cache", L"Chrome Cache", kChromeCache},
    {L"History", L"Chrome History", kChromeHistory},
    {L"Forms", L"Chrome Forms Data/Saved passwords", kChromeForms},
    {L"Session", L"Chrome Session", kChromeSession},
};

#define SAFARI L"\\Apple Computer\\Safari"
constexpr Step SafariFile(Base base, const wchar_t* folder, const wchar_t* name) {
    return FileOp(Op::DeleteFileInFolder, base, folder, name);
}
constexpr Step kSafariHistory[] = {FileOp(Op::DeleteAllFiles, Base::LocalAppData, SAFARI L"\\History"),
                                   SafariFile(Base::AppData, SAFARI, L"History.plist")};
constexpr Step kSafariPages[] = {SafariFile(Base::AppData, SAFARI, L"LastSession.plist"),
                                 SafariFile(Base::AppData, SAFARI, L"TopSites.plist")};
constexpr Step kSafariCache[] = {SafariFile(Base::LocalAppData, SAFARI, L"Cache.db"),
                                 SafariFile(Base::LocalAppData, SAFARI, L"WebpageIcons.db")};
constexpr Step kSafariCookies[] = {SafariFile(Base::AppData, SAFARI L"\\Cookies", L"Cookies.plist")};
constexpr Step kSafariDownloads[] = {SafariFile(Base::AppData, SAFARI, L"Downloads.plist")};
constexpr Step kSafariAutocomplete[] = {SafariFile(Base::AppData, SAFARI, L"Form Values.plist"),
                                        SafariFile(Base::AppData, SAFARI L"\\Preferences", L"keychain.plist")};
constexpr Step kSafariImages[] = {FileOp(Op::DeleteAllFiles, Base::LocalAppData, SAFARI L"\\Webpage Previews")};
constexpr Step kSafariSearches[] = {
    SafariFile(Base::AppData, L"\\Apple Computer\\Preferences", L"com.apple.Safari.plist")};

const Item kSafari[] = {
    {L"History", L"Safari History", kSafariHistory},
    {L"pages", L"Safari Information about open pages", kSafariPages},
    {L"Cache", L"Safari Cache", kSafariCache},
    {L"Cookies", L"Safari Cookies", kSafariCookies},
    {L"download", L"Safari Download information", kSafariDownloads},
    {L"Autocomplete", L"Safari Autocomplete", kSafariAutocomplete},
    {L"Images", L"Safari Webpage Preview Images", kSafariImages},
    {L"RecentSearches", L"Safari Recent Searches", kSafariSearches},
};

// ---- Messengers ----------------------------------------------------------

#define YAHOO_PAGER L"Software\\Yahoo\\pager"
#define YAHOO_FOLDER L"C:\\Program Files\\Yahoo!\\Messenger\\"
#define AIM L"\\AIM"
#define ICQ L"\\ICQ"
constexpr Step kMsnChat[] = {FileOp(Op::DeleteAllFilesInTree, Base::Personal, L"\\my chat logs")};
constexpr Step kMsnFiles[] = {FileOp(Op::DeleteAllFilesInTree, Base::Personal, L"\\my received files")};
constexpr Step kYahooPage[] = {ValueDel(YAHOO_PAGER, L"Yahoo! User ID"), ValueDel(YAHOO_PAGER, L"Auto Login")};
// The help folder value ends with its own separator, if any.
constexpr Step kYahooProfiles[] = {TreeDel(YAHOO_PAGER L"\\profiles"),
                                   FileOp(Op::DeleteAllFilesInTree, Base::YahooHelpDir, L"Profiles")};
constexpr Step kYahooCache[] = {FileOp(Op::DeleteAllFilesInTree, Base::Absolute, YAHOO_FOLDER L"Cache")};
constexpr Step kYahooLogs[] = {FileOp(Op::DeleteAllFilesInTree, Base::Absolute, YAHOO_FOLDER L"logs")};
constexpr Step kAimSettings[] = {FileOp(Op::DeleteAllFilesInTree, Base::LocalAppData, AIM L"\\Settings")};
constexpr Step kAimNames[] = {FileOp(Op::DeleteFileInFolder, Base::LocalAppData, AIM, L"aimx.bin")};
constexpr Step kAimBuddies[] = {FileOp(Op::DeleteAllFilesInTree, Base::AppData, L"\\acccore\\caches\\users")};
constexpr Step kAimLogs[] = {FileOp(Op::DeleteAllFilesInTree, Base::Personal, L"\\AIMLogger")};
constexpr Step kIcqSignIn[] = {FileOp(Op::DeleteFileInTree, Base::AppData, ICQ, L"Application.qdb")};
constexpr Step kIcqUser[] = {FileOp(Op::DeleteFileInTree, Base::AppData, ICQ, L"Messages.qdb")};
constexpr Step kIcqContacts[] = {FileOp(Op::DeleteFileInTree, Base::AppData, ICQ, L"Owner.qdb")};
constexpr Step kIcqFiles[] = {FileOp(Op::DeleteFolderInTree, Base::Personal, ICQ, L"receivedfiles")};
constexpr Step kIcqSearch[] = {KeyDel(L"Software\\Microsoft\\Internet Explorer\\LowRegistry\\ICQ\\ICQToolBar\\History")};

const Item kMessenger[] = {
    {L"msnchat", L"Windows Live Messenger chat log folder", kMsnChat, 44},
    {L"msnfiles", L"Windows Live Messenger Received Files folder", kMsnFiles},
    {L"yahoopage", L"Yahoo! Messenger Page settings", kYahooPage, 45},
    {L"yahooprofiles", L"Yahoo! Messenger profiles", kYahooProfiles},
    {L"yahoofiles", L"Yahoo! Messenger Temporary Internet Files", kYahooCache},
    {L"yahoologs", L"Yahoo! Messenger Log Files", kYahooLogs},
    {L"aolsettings", L"AOL Instant Messenger settings", kAimSettings, 46},
    {L"aolnames", L"AOL Instant Messenger Recent screen names", kAimNames},
    {L"aolpassword", L"AOL Messenger user password", kAimNames},
    {L"aolbuddy", L"AOL Information about Buddy list", kAimBuddies},
    {L"aollogs", L"AOL Messenger logs", kAimLogs, 47},
    {L"icqsign", L"AOL Messenger Sign in history", kIcqSignIn},
    {L"icquser", L"ICQ User history", kIcqUser},
    {L"icqcontact", L"ICQ contact list", kIcqContacts},
    {L"icqaccount", L"ICQ Account", kIcqSignIn},
    {L"icqfiles", L"ICQ All the files received from the other users", kIcqFiles},
    {L"icqsearch", L"ICQ Toolbar search history", kIcqSearch, 48},
};

// ---- Microsoft Office: keys below the version's key ----------------------

constexpr Step Office(const wchar_t* sub, Cond when = Cond::Always) {
    return When({Op::DeleteRegTree, Base::OfficeKey, Root::HKCU, sub}, when);
}
constexpr Step Older(const wchar_t* sub) { return Office(sub, Cond::OfficeOlderLayout); }
constexpr Step Newer(const wchar_t* sub) { return Office(sub, Cond::OfficeNewerLayout); }
constexpr Step Wizard(const wchar_t* sub) { return {Op::DeleteRegTree, Base::OfficeWizardKey, Root::HKCU, sub}; }
constexpr Step OfficeValue(const wchar_t* sub, const wchar_t* value) {
    return {Op::DeleteRegValue, Base::OfficeKey, Root::HKCU, sub, value};
}

#define FRONTPAGE L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer"
#define SNAPSHOT L"Software\\Microsoft\\Snapshot Viewer"
constexpr Step kWord[] = {Older(L"\\Word\\Data"), Older(L"\\Word\\Recent Templates"),
                          Older(L"\\Word\\ProjectTemplateLocation"), Newer(L"\\Word\\File MRU"),
                          Newer(L"\\Word\\Place MRU")};
constexpr Step kExcel[] = {Older(L"\\Excel\\Recent Files"), Older(L"\\Excel\\Recent Templates"),
                           Older(L"\\Excel\\ProjectTemplateLocation"), Newer(L"\\Excel\\File MRU"),
                           Newer(L"\\Excel\\Place MRU")};
constexpr Step kPowerpoint[] = {Older(L"\\PowerPoint\\Recent File List"), Older(L"\\PowerPoint\\Recent Templates"),
                                Older(L"\\PowerPoint\\RecentFolderList"), Older(L"\\PowerPoint\\RecentTemplateList"),
                                Older(L"\\PowerPoint\\ProjectTemplateLocation"), Newer(L"\\PowerPoint\\File MRU"),
                                Newer(L"\\PowerPoint\\Place MRU")};
constexpr Step kFrontPage[] = {TreeDel(FRONTPAGE L"\\Recent File List"), TreeDel(FRONTPAGE L"\\Recent Page List"),
                               TreeDel(FRONTPAGE L"\\Recent Web List"), TreeDel(FRONTPAGE L"\\Recently Created Servers"),
                               ValueDel(FRONTPAGE L"\\Settings", L"LastWebOpen")};
constexpr Step kAccess[] = {Office(L"\\Access\\File MRU", Cond::Office14), Office(L"\\Access\\Place MRU", Cond::Office14),
                            Office(L"\\Access\\Settings", Cond::OfficeNot14),
                            Office(L"\\Access\\Internet\\Recent Templates", Cond::OfficeNot14)};
constexpr Step kPublisher[] = {Office(L"\\Publisher\\Recent File List"), Office(L"\\Publisher\\File MRU"),
                               Office(L"\\Publisher\\Place MRU")};
constexpr Step kInfoPath[] = {Office(L"\\InfoPath\\Recent File List"), Office(L"\\InfoPath\\Recent Templates"),
                              Office(L"\\InfoPath\\File MRU"), Office(L"\\InfoPath\\Place MRU")};
constexpr Step kProject[] = {Office(L"\\MS Project\\Recent File List"), Office(L"\\MS Project\\Recent Templates"),
                             Office(L"\\MS Project\\ProjectTemplateLocation"), Office(L"\\MS Project\\File MRU"),
                             Office(L"\\MS Project\\Place MRU")};
constexpr Step kVisio[] = {Office(L"\\Visio\\Recent Templates"), Office(L"\\Visio\\File MRU"),
                           Office(L"\\Visio\\Place MRU")};
constexpr Step kOrganizer[] = {OfficeValue(L"\\Clip Organizer", L"MRUKeywords"), Office(L"\\Clip Organizer\\File MRU"),
                               Office(L"\\Clip Organizer\\Place MRU")};
constexpr Step kOfficeSettings[] = {Wizard(L"\\RecentFileList"), Wizard(L"\\File MRU"), Wizard(L"\\Place MRU")};
constexpr Step kOfficePicture[] = {
    OfficeValue(L"\\OIS\\Options", L"LastTreeConfig"), OfficeValue(L"\\OIS\\Options", L"LastTreeSelection"),
    Office(L"\\Common\\Open Find\\Microsoft Office Picture Manager\\Settings\\Add Picture Shortcut\\File Name MRU")};
constexpr Step kSnapshot[] = {TreeDel(SNAPSHOT L"\\Recent File List"), TreeDel(SNAPSHOT L"\\File MRU"),
                              TreeDel(SNAPSHOT L"\\Place MRU")};

const Item kOffice[] = {
    {L"word", L"Microsoft Word", kWord, 49},
    {L"excel", L"Microsoft Excel", kExcel, 50},
    {L"Powerpoint", L"Microsoft Powerpoint", kPowerpoint, 51},
    {L"FrontPage", L"Microsoft FrontPage", kFrontPage, 52},
    {L"Access", L"Microsoft Access", kAccess},
    {L"Publisher", L"Microsoft Publisher", kPublisher},
    {L"InfoPath", L"Microsoft InfoPath", kInfoPath},
    {L"Project", L"Microsoft Project", kProject, 53},
    {L"Visio", L"Microsoft Visio", kVisio},
    {L"Organizer", L"Clip Organizer", kOrganizer},
    {L"Settings", L"Microsoft Office Settings", kOfficeSettings, 54},
    {L"Picture", L"Microsoft Office Picture Manager", kOfficePicture},
    {L"Viewer", L"Microsoft Snapshot Viewer", kSnapshot, 55},
};

// ---- Outlook Express, Windows Mail ---------------------------------------

#define IDENTITY L"Identities\\{D26D609B-5ED5-4F41-B764-6684674F99A4}\\Software\\Microsoft\\Outlook Express\\5.0"
#define IDENTITIES L"\\Identities"
constexpr Step IdentityFile(const wchar_t* name) {
    return FileOp(Op::DeleteFileInTree, Base::LocalAppData, IDENTITIES, name);
}
constexpr Step kOeAddress[] = {FileOp(Op::DeleteExtInTree, Base::AppData, L"\\Microsoft\\Address Book", L"wab")};
constexpr Step kOeAccounts[] = {TreeDel(L"Software\\Microsoft\\Internet Account Manager")};
constexpr Step kOeDeleted[] = {IdentityFile(L"Deleted Items.dbx")};
constexpr Step kOeSent[] = {IdentityFile(L"Sent Items.dbx")};
constexpr Step kOeOutbox[] = {IdentityFile(L"Outbox.dbx")};
constexpr Step kOeBlocked[] = {TreeDel(IDENTITY L"\\Block Senders"), Keys(1)};
constexpr Step kOeFolders[] = {IdentityFile(L"Folders.dbx")};
constexpr Step kOeMailRules[] = {TreeDel(IDENTITY L"\\Rules\\Mail")};
constexpr Step kOeNewsRules[] = {TreeDel(IDENTITY L"\\Rules\\News"), Keys(1)};
constexpr Step kOeSignatures[] = {TreeDel(IDENTITY L"\\signatures")};

const Item kOutlook[] = {
    {L"address", L"outlook express address book", kOeAddress},
    {L"accounts", L"outlook express Accounts", kOeAccounts, 59},
    {L"deleted", L"outlook express deleted email", kOeDeleted},
    {L"sent", L"outlook express sent email", kOeSent, 60},
    {L"outbox", L"outlook express outbox email", kOeOutbox},
    {L"blocked", L"outlook express blocked senders list", kOeBlocked},
    {L"created", L"outlook express history of Outlook folders you created", kOeFolders},
    {L"mailrules", L"outlook express mail rules", kOeMailRules, 62},
    {L"newsrules", L"outlook express news rules", kOeNewsRules},
    {L"signatures", L"outlook express signatures", kOeSignatures},
};

#define WINMAIL L"Software\\Microsoft\\Windows Mail"
constexpr Step kMailRecently[] = {TreeDel(WINMAIL L"\\Recent Stationery Wide List"),
                                  TreeDel(WINMAIL L"\\Recently Used Addresses"), TreeDel(COMDLG L"\\CIDSizeMRU"),
                                  TreeDel(COMDLG L"\\LastVisitedPidlMRU"), TreeDel(COMDLG L"\\OpenSavePidlMRU")};
// Signatures removes the blocked senders' key too; which key holds the
// signatures is not known.
constexpr Step kMailBlocked[] = {TreeDel(WINMAIL L"\\Junk Mail\\Block Senders List")};
constexpr Step kMailSafe[] = {TreeDel(WINMAIL L"\\Junk Mail\\Safe Senders List")};
constexpr Step kMailRules[] = {TreeDel(WINMAIL L"\\Rules\\Mail")};
constexpr Step kMailNewsRules[] = {TreeDel(WINMAIL L"\\Rules\\News")};
constexpr Step kMailAccounts[] = {FileOp(Op::DeleteExtInTree, Base::MailStoreRoot, L"", L"oeaccount")};

const Item kMail[] = {
    {L"Recently", L"Windows Mail Recently", kMailRecently, 64},
    {L"Signatures", L"Windows Mail Signatures", kMailBlocked},
    {L"Block", L"Windows Mail Block Senders list", kMailBlocked, 65},
    {L"Safe", L"Windows Mail Safe Senders list", kMailSafe},
    {L"mailrules", L"Windows Mail mail rules", kMailRules, 67},
    {L"newsrules", L"Windows Mail news rules", kMailNewsRules, 69},
    {L"accounts", L"Windows Mail accounts", kMailAccounts, 70},
};

const Group kGroups[] = {
    {L"Internet Explorer", L"EXPLORER", kExplorerItems},
    {L"Firefox", L"FIREFOX", kFirefox},
    {L"Opera", L"Opera", kOpera},
    {L"Netscape", L"Netscape", kNetscape},
    {L"AOL Explorer", L"AOL", kAol},
    {L"MSN Explorer", L"MSN", kMsn},
    {L"Mozilla", L"Mozilla", kMozilla},
    {L"Maxthon", L"Maxthon", kMaxthon},
    {L"Chrome", L"Chrome", kChrome},
    {L"Safari", L"Safari", kSafari},
    {L"Windows", L"WINDOWS", kWindows},
    {L"Messengers", L"Messenger", kMessenger},
    {L"Microsoft Office", L"OFFICE", kOffice, office::ProbeOfficeVersion},
    {L"Outlook Express", L"outlook", kOutlook},
    {L"Windows Mail", L"mail", kMail},
};

}  // namespace

std::span<const Group> Catalogue() { return kGroups; }

bool Selected(const Group& g, const Item& item) {
    const std::wstring v = profile::Read(g.section, item.key);
    return item.gate == Gate::Numeric ? profile::IsNumericFlagOn(v) : profile::IsTextFlagOn(v);
}

Environment LoadEnvironment() {
    // An unreadable shell folder stays unknown ("") rather than "Error".
    return {ShellFolder(L"AppData"), ShellFolder(L"Local AppData"), WindowsFolder(), IEMajorVersion()};
}

HKEY RootKey(Root r) {
    switch (r) {
    case Root::HKLM: return HKEY_LOCAL_MACHINE;
    case Root::HKU: return HKEY_USERS;
    default: return HKEY_CURRENT_USER;
    }
}

namespace {

// A folder held in a registry value, read as the run reads shell folders
// ("" when it cannot be read).
std::wstring RegistryFolder(const wchar_t* keyPath, const wchar_t* value, bool expand) {
    return FolderFromRegistryText(regfun::GetRegValue(keyPath, value), expand);
}

bool IsFolder(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring BaseFolder(const RunContext& ctx, Base base) {
    switch (base) {
    case Base::Absolute: return L"";
    case Base::AppData: return ctx.env.appData;
    case Base::LocalAppData: return ctx.env.localAppData;
    case Base::Windows: return ctx.env.windowsFolder;
    case Base::Personal:
        // Read anew for every step that needs it.
        return FolderFromRegistryText(regfun::StripNull(regfun::GetRegValue(
            L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", L"Personal")));
    case Base::Cache: return ShellFolder(L"Cache");
    case Base::Cookies: return ShellFolder(L"Cookies");
    case Base::History: return ShellFolder(L"History");
    case Base::Favorites: return ShellFolder(L"Favorites");
    case Base::ActiveXCache:
        return RegistryFolder(L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                              L"ActiveXCache", true);
    case Base::UserProfile: return EnvironmentText(L"USERPROFILE");
    case Base::NetscapeProfiles: {
        if (ctx.env.appData.empty()) return L"";
        std::wstring nsb = ctx.env.appData + L"\\Netscape\\NSB\\Profiles";
        return IsFolder(nsb) ? nsb : ctx.env.appData + L"\\Netscape\\Navigator\\Profiles";
    }
    case Base::Maxthon:
        return RegistryFolder(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Maxthon2",
                              L"InstallLocation", false);
    case Base::YahooHelpDir:
        return RegistryFolder(
            L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498}\\1.0\\HELPDIR", L"",
            false);
    case Base::MailStoreRoot:
        return RegistryFolder(L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail", L"Store Root", false);
    case Base::OfficeKey:
    case Base::OfficeWizardKey: break;
    }
    return L"";
}

bool Applies(const RunContext& ctx, Cond when) {
    switch (when) {
    case Cond::Always: return true;
    case Cond::IeAbove6: return ctx.env.ieMajor > 6;
    case Cond::Ie6: return ctx.env.ieMajor == 6;
    case Cond::Ie8OrLater: return ctx.env.ieMajor >= 8;
    case Cond::OfficeOlderLayout: return !office::NewerLayout(ctx.officeVersion);
    case Cond::OfficeNewerLayout: return office::NewerLayout(ctx.officeVersion);
    case Cond::Office14: return ctx.officeVersion == L"14.0";
    case Cond::OfficeNot14: return ctx.officeVersion != L"14.0";
    }
    return false;
}

}  // namespace

std::wstring StepFolder(const RunContext& ctx, const Step& step) {
    if (step.base == Base::Absolute) return step.path;
    std::wstring base = BaseFolder(ctx, step.base);
    if (base.empty()) return L"";
    return base + step.path;
}

std::wstring StepKey(const RunContext& ctx, const Step& step) {
    std::wstring key = step.path;
    if (step.base == Base::OfficeKey) key = L"Software\\Microsoft\\Office\\" + ctx.officeVersion + key;
    if (step.base == Base::OfficeWizardKey) key = L"Software\\Microsoft\\OfficeProfileWizard\\" + ctx.officeVersion + key;
    // The registry would read "Office\\Word" as "Office\Word", a real key.
    if (key.empty() || key.front() == L'\\' || key.back() == L'\\' || key.find(L"\\\\") != std::wstring::npos)
        return L"";
    return key;
}

void RunStep(RunContext& ctx, const Step& step) {
    using namespace allerase;
    if (!Applies(ctx, step.when)) return;
    EraseContext& e = ctx.erase;
    auto addOptional = [&](std::optional<double> r) {
        if (r) ctx.AddBytes(*r);
    };
    switch (step.op) {
    case Op::Special:
        if (step.fn) step.fn(ctx);
        return;
    case Op::AddKeys:
        ctx.AddKeys(step.amount);
        return;
    case Op::AddBytes:
        ctx.AddBytes(step.amount);
        return;
    case Op::Status:
        ctx.view.SetRowStatus(step.arg);
        return;
    case Op::StartCommand:
        if (e.preview() || launcher::Current().Start(step.path, SW_SHOWMINIMIZED))
            e.Report(RemovalKind::Command, step.path);
        return;
    case Op::DeleteRegKey:
    case Op::DeleteRegTree:
    case Op::DeleteRegValue: {
        // A key that names nothing still counts, as every registry step does.
        const std::wstring key = StepKey(ctx, step);
        const HKEY root = RootKey(step.root);
        if (step.op == Op::DeleteRegKey) ctx.AddKeys(key.empty() ? 3 : DeleteRegKey(e, root, key));
        if (step.op == Op::DeleteRegTree) ctx.AddKeys(key.empty() ? 5 : DeleteRegTree(e, root, key));
        if (step.op == Op::DeleteRegValue) ctx.AddKeys(key.empty() ? 1 : DeleteRegValue(e, root, key, step.arg));
        return;
    }
    default:
        break;
    }
    std::wstring folder = StepFolder(ctx, step);
    if (folder.empty()) return;
    switch (step.op) {
    case Op::DeleteFileInTree: ctx.AddBytes(DeleteFileInTree(e, folder, step.arg)); break;
    case Op::DeleteAllFilesInTree: addOptional(DeleteAllFilesInTree(e, folder)); break;
    case Op::DeleteExtInTree: ctx.AddBytes(DeleteExtInTree(e, folder, step.arg)); break;
    case Op::DeleteFolderInTree: ctx.AddBytes(DeleteFolderInTree(e, folder, step.arg)); break;
    case Op::EmptyFolder:
        ctx.AddBytes(step.base == Base::Favorites ? EmptyFavorites(e, folder) : EmptyFolder(e, folder));
        break;
    case Op::DeleteAllFiles: addOptional(DeleteAllFiles(e, folder)); break;
    case Op::DeleteFileInFolder: addOptional(DeleteFileInFolder(e, folder, step.arg)); break;
    case Op::DeleteExtInFolder: addOptional(DeleteExtInFolder(e, folder, step.arg)); break;
    case Op::DeleteIniSection: DeleteIniSection(e, folder, step.arg); break;
    case Op::DeleteAtReboot: Normal::DeleteAtReboot(e, folder); break;
    default: break;
    }
}

}  // namespace nv::engine
