#include "engine/catalogue.h"

#include "engine/windows_items.h"
#include "foundation/allerase.h"
#include "foundation/apppath.h"
#include "foundation/regfun.h"
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

// ---- Groups whose items arrive later: labels and progress only ----------

constexpr Item Later(const wchar_t* key, const wchar_t* label, int progress = -1, Gate gate = Gate::Text) {
    return {key, label, {}, progress, gate, true};
}

const Item kExplorerItems[] = {
    Later(L"location", L"IE Location Bar History", 5),
    Later(L"history", L"IE Internet History Files", 6),
    Later(L"cache", L"IE Internet Cache", 8),
    Later(L"cookies", L"IE Cookies", 10),
    Later(L"favorites", L"IE Favorites", 11),
    Later(L"autocomplete", L"IE Autocomplete Memory", 11),
    Later(L"downloaded", L"IE Downloaded program Files Directory", 11),
    Later(L"index", L"IE Index.dat Files"),
    Later(L"inprivate", L"IE Inprivate Filter", 12),
};
const Item kFirefox[] = {
    Later(L"Address", L"Firefox Address Bar History", 12), Later(L"Cookies", L"Firefox Cookies", 13),
    Later(L"cache", L"Firefox Cache", 14),                 Later(L"History", L"Firefox History Files", 15),
    Later(L"Download", L"Firefox Download Manager History", 15),
    Later(L"bookmarks", L"Firefox Bookmarks Files"),       Later(L"passwords", L"Firefox Saved Passwords", 16),
};
const Item kOpera[] = {
    Later(L"Address", L"Opera Address Bar History", 17), Later(L"Cookies", L"Opera Cookies", 18),
    Later(L"cache", L"Opera Cache", 19),                 Later(L"History", L"Opera History Files"),
    Later(L"downloads", L"Opera Download History"),      Later(L"Sessions", L"Opera Sessions Files"),
    Later(L"Images", L"Opera Site Image Files"),         Later(L"Bookmarks", L"Opera Bookmarks"),
    Later(L"Passwords", L"Opera Passwords", 20),
};
const Item kNetscape[] = {
    Later(L"Location", L"Netscape Address Bar History", 21), Later(L"Cookies", L"Netscape Cookies", 22),
    Later(L"Cache", L"Netscape Cache", 23),                  Later(L"History", L"Netscape History Files"),
    Later(L"download", L"Netscape Download Manager History"), Later(L"bookmarks", L"Netscape Bookmarks"),
    Later(L"passwords", L"Netscape Saved Passwords", 24),
};
const Item kAol[] = {
    Later(L"Address", L"AOL Explorer Address Bar History", 25), Later(L"cookies", L"AOL Explorer Cookies", 26),
    Later(L"cache", L"AOL Explorer Cache", 27),                 Later(L"history", L"AOL Explorer History Files", 28),
};
const Item kMsn[] = {
    Later(L"Location", L"MSN Explorer Address Bar History", 29), Later(L"cookies", L"MSN Explorer Cookies", 30),
    Later(L"cache", L"MSN Explorer Cache", 31),                  Later(L"history", L"MSN Explorer History Files", 32),
};
const Item kMozilla[] = {
    Later(L"Address", L"Mozilla Address Bar History"), Later(L"Cookies", L"Mozilla Cookies"),
    Later(L"cache", L"Mozilla Cache"),                 Later(L"History", L"Mozilla History Files"),
};
const Item kMaxthon[] = {
    Later(L"keywords", L"Maxthon Typed Urls", -1, Gate::Numeric),
    Later(L"pages", L"Maxthon information about open pages", -1, Gate::Numeric),
    Later(L"settings", L"Maxthon settings", -1, Gate::Numeric),
    Later(L"groups", L"Maxthon History Files", -1, Gate::Numeric),
    Later(L"folder", L"Maxthon information about open pages", -1, Gate::Numeric),
};
const Item kChrome[] = {
    Later(L"download", L"Chrome download History"), Later(L"Cookies", L"Chrome Cookies"),
    Later(L"Cache", L"Chrome Cache"),               Later(L"History", L"Chrome History"),
    Later(L"Forms", L"Chrome Forms Data/Saved passwords"), Later(L"Session", L"Chrome Session"),
};
const Item kSafari[] = {
    Later(L"History", L"Safari History"),          Later(L"pages", L"Safari Information about open pages"),
    Later(L"Cache", L"Safari Cache"),              Later(L"Cookies", L"Safari Cookies"),
    Later(L"download", L"Safari Download information"), Later(L"Autocomplete", L"Safari Autocomplete"),
    Later(L"Images", L"Safari Webpage Preview Images"), Later(L"RecentSearches", L"Safari Recent Searches"),
};
const Item kMessenger[] = {
    Later(L"msnchat", L"Windows Live Messenger chat log folder", 44),
    Later(L"msnfiles", L"Windows Live Messenger Received Files folder"),
    Later(L"yahoopage", L"Yahoo! Messenger Page settings", 45),
    Later(L"yahooprofiles", L"Yahoo! Messenger profiles"),
    Later(L"yahoofiles", L"Yahoo! Messenger Temporary Internet Files"),
    Later(L"yahoologs", L"Yahoo! Messenger Log Files"),
    Later(L"aolsettings", L"AOL Instant Messenger settings", 46),
    Later(L"aolnames", L"AOL Instant Messenger Recent screen names"),
    Later(L"aolpassword", L"AOL Messenger user password"),
    Later(L"aolbuddy", L"AOL Information about Buddy list"),
    Later(L"aollogs", L"AOL Messenger logs", 47),
    Later(L"icqsign", L"AOL Messenger Sign in history"),
    Later(L"icquser", L"ICQ User history"),
    Later(L"icqcontact", L"ICQ contact list"),
    Later(L"icqaccount", L"ICQ Account"),
    Later(L"icqfiles", L"ICQ All the files received from the other users"),
    Later(L"icqsearch", L"ICQ Toolbar search history", 48),
};
const Item kOffice[] = {
    Later(L"word", L"Microsoft Word", 49),         Later(L"excel", L"Microsoft Excel", 50),
    Later(L"Powerpoint", L"Microsoft Powerpoint", 51), Later(L"FrontPage", L"Microsoft FrontPage", 52),
    Later(L"Access", L"Microsoft Access"),         Later(L"Publisher", L"Microsoft Publisher"),
    Later(L"InfoPath", L"Microsoft InfoPath"),     Later(L"Project", L"Microsoft Project", 53),
    Later(L"Visio", L"Microsoft Visio"),           Later(L"Organizer", L"Clip Organizer"),
    Later(L"Settings", L"Microsoft Office Settings", 54), Later(L"Picture", L"Microsoft Office Picture Manager"),
    Later(L"Viewer", L"Microsoft Snapshot Viewer", 55),
};
const Item kOutlook[] = {
    Later(L"address", L"outlook express address book"),
    Later(L"accounts", L"outlook express Accounts", 59),
    Later(L"deleted", L"outlook express deleted email"),
    Later(L"sent", L"outlook express sent email", 60),
    Later(L"outbox", L"outlook express outbox email"),
    Later(L"blocked", L"outlook express blocked senders list"),
    Later(L"created", L"outlook express history of Outlook folders you created"),
    Later(L"mailrules", L"outlook express mail rules", 62),
    Later(L"newsrules", L"outlook express news rules"),
    Later(L"signatures", L"outlook express signatures"),
};
const Item kMail[] = {
    Later(L"Recently", L"Windows Mail Recently", 64),  Later(L"Signatures", L"Windows Mail Signatures"),
    Later(L"Block", L"Windows Mail Block Senders list", 65), Later(L"Safe", L"Windows Mail Safe Senders list"),
    Later(L"mailrules", L"Windows Mail mail rules", 67), Later(L"newsrules", L"Windows Mail news rules", 69),
    Later(L"accounts", L"Windows Mail accounts", 70),
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
    {L"Microsoft Office", L"OFFICE", kOffice},
    {L"Outlook Express", L"outlook", kOutlook},
    {L"Windows Mail", L"mail", kMail},
};

}  // namespace

std::span<const Group> Catalogue() { return kGroups; }

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

const wchar_t* RootName(Root r) {
    switch (r) {
    case Root::HKLM: return L"HKEY_LOCAL_MACHINE";
    case Root::HKU: return L"HKEY_USERS";
    default: return L"HKEY_CURRENT_USER";
    }
}

std::wstring StepFolder(const RunContext& ctx, const Step& step) {
    std::wstring base;
    switch (step.base) {
    case Base::Absolute: return step.path;
    case Base::AppData: base = ctx.env.appData; break;
    case Base::LocalAppData: base = ctx.env.localAppData; break;
    case Base::Windows: base = ctx.env.windowsFolder; break;
    case Base::Personal:
        // Read anew for every step that needs it.
        base = FolderFromRegistryText(regfun::StripNull(regfun::GetRegValue(
            L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", L"Personal")));
        break;
    }
    if (base.empty()) return L"";
    return base + step.path;
}

void RunStep(RunContext& ctx, const Step& step) {
    using namespace allerase;
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
    case Op::DeleteRegKey:
        ctx.AddKeys(DeleteRegKey(e, RootKey(step.root), step.path));
        return;
    case Op::DeleteRegTree:
        ctx.AddKeys(DeleteRegTree(e, RootKey(step.root), step.path));
        return;
    case Op::DeleteRegValue:
        ctx.AddKeys(DeleteRegValue(e, RootKey(step.root), step.path, step.arg));
        return;
    default:
        break;
    }
    std::wstring folder = StepFolder(ctx, step);
    switch (step.op) {
    case Op::DeleteFileInTree: ctx.AddBytes(DeleteFileInTree(e, folder, step.arg)); break;
    case Op::DeleteAllFilesInTree: addOptional(DeleteAllFilesInTree(e, folder)); break;
    case Op::DeleteExtInTree: ctx.AddBytes(DeleteExtInTree(e, folder, step.arg)); break;
    case Op::DeleteFolderInTree: ctx.AddBytes(DeleteFolderInTree(e, folder, step.arg)); break;
    case Op::EmptyFolder: ctx.AddBytes(EmptyFolder(e, folder)); break;
    case Op::DeleteAllFiles: addOptional(DeleteAllFiles(e, folder)); break;
    case Op::DeleteFileInFolder: addOptional(DeleteFileInFolder(e, folder, step.arg)); break;
    case Op::DeleteExtInFolder: addOptional(DeleteExtInFolder(e, folder, step.arg)); break;
    default: break;
    }
}

}  // namespace nv::engine
