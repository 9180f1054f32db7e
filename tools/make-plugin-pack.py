#!/usr/bin/env python3
"""Writes res/app/plus-in/*.ppe: the plug-ins shipped for today's browsers,
chat and media programs, an editor and Windows 10/11 itself. Every one is
off until the user ticks it. Written from the programs' own documentation
of their folders; deterministic, so the files can be rebuilt at will.

Each plug-in detects its program, names the processes that must be closed,
and excludes what must never go even if a pattern were widened later:
passwords, the key that decrypts them, form and payment data, bookmarks,
preferences, extensions, unsaved edits, recordings, Quick Access pins."""
import os

OUT = os.path.join(os.path.dirname(__file__), "..", "res", "app", "plus-in")
VERSION = "1.0"

# --- Chromium browsers -------------------------------------------------------

# name, user data folders (the first is detected), processes, profile folders
CHROMIUM = [
    ("Google Chrome", [r"%LocalAppData%\Google\Chrome\User Data"], ["chrome.exe"], ["Default", "Profile *"]),
    ("Microsoft Edge", [r"%LocalAppData%\Microsoft\Edge\User Data"], ["msedge.exe"], ["Default", "Profile *"]),
    ("Brave", [r"%LocalAppData%\BraveSoftware\Brave-Browser\User Data"], ["brave.exe"], ["Default", "Profile *"]),
    ("Vivaldi", [r"%LocalAppData%\Vivaldi\User Data"], ["vivaldi.exe"], ["Default", "Profile *"]),
    # Opera keeps its first profile in the folder itself, its cache in the local twin.
    ("Opera", [r"%AppData%\Opera Software\Opera Stable", r"%LocalAppData%\Opera Software\Opera Stable"],
     ["opera.exe"], ["", "Default", "Profile *"]),
]

CHROMIUM_KEEP_FILES = ["Login Data", "Login Data-journal", "Login Data For Account", "Web Data", "Web Data-journal",
                       "Bookmarks", "Bookmarks.bak", "Preferences", "Secure Preferences", "Favicons"]
CHROMIUM_KEEP_FOLDERS = ["Extensions", "Local Extension Settings", "Sync Extension Settings", "Extension State",
                         "Local Storage"]


def chromium_parts(profile_roots):
    """The five plug-ins of one browser: (suffix, description, warning, filekeys, extra excludes)."""
    def each(rel, patterns, flag=""):
        out = []
        for root in profile_roots:
            path = root + ("\\" + rel if rel else "")
            out.append(f"{path}|{patterns}" + (f"|{flag}" if flag else ""))
        return out

    cache = (each("Cache", "*.*", "RECURSE") + each("Code Cache", "*.*", "RECURSE") +
             each("GPUCache", "*.*", "RECURSE"))
    cookies = each("Network", "Cookies;Cookies-journal") + each("", "Cookies;Cookies-journal")
    history = each("", "History;History-journal;Visited Links;Top Sites;Top Sites-journal;Shortcuts;"
                       "Shortcuts-journal;Network Action Predictor;Network Action Predictor-journal;"
                       "History Provider Cache")
    sessions = each("Sessions", "*.*", "RECURSE") + each("", "Current Session;Current Tabs;Last Session;Last Tabs")
    storage = (each("Session Storage", "*.*", "RECURSE") + each("IndexedDB", "*.*", "REMOVESELF") +
               each("databases", "*.*", "RECURSE") + each("File System", "*.*", "REMOVESELF") +
               each(r"Service Worker\CacheStorage", "*.*", "REMOVESELF"))
    # Extensions keep their own databases among the sites'.
    storage_keep = [f"PATH|{root}\\IndexedDB\\chrome-extension_*\\|*.*" for root in profile_roots]
    return [
        ("Cache", "Cache, code cache and graphics cache of each profile", "", cache, []),
        ("Cookies", "Cookies of each profile", "You will be signed out of the websites you use.", cookies, []),
        ("History", "Visited pages, top sites, typed shortcuts and address predictions of each profile", "",
         history, []),
        ("Sessions", "Saved tabs and windows of each profile",
         "Tabs and windows of earlier sessions can no longer be restored.", sessions, []),
        ("Site storage", "Databases, session storage, file systems and service worker caches that sites keep",
         "Websites forget what they stored on this computer, and offline copies of web apps are removed.",
         storage, storage_keep),
    ]


def chromium_plugins():
    for name, folders, processes, profiles in CHROMIUM:
        roots = []
        for folder in folders:
            for p in profiles:
                roots.append(folder + ("\\" + p if p else ""))
        excludes = []
        for folder in folders:
            excludes.append(f"FILE|{folder}\\|Local State")
            for p in ["", "*"] if "" in profiles else ["*"]:
                base = folder + ("\\" + p if p else "")
                excludes.append(f"FILE|{base}\\|" + ";".join(CHROMIUM_KEEP_FILES))
                excludes += [f"PATH|{base}\\{k}\\|*.*" for k in CHROMIUM_KEEP_FOLDERS]
        for suffix, desc, warning, keys, extra in chromium_parts(roots):
            yield {
                "name": f"{name} - {suffix}", "desc": desc, "detect": [f"FILE|{folders[0]}"],
                "close": processes, "warning": warning, "filekey": keys, "exclude": excludes + extra,
            }


# --- Firefox -----------------------------------------------------------------

FF_ROAMING = r"%AppData%\Mozilla\Firefox\Profiles\*"
FF_LOCAL = r"%LocalAppData%\Mozilla\Firefox\Profiles\*"
FF_KEEP = ["places.sqlite", "places.sqlite-wal", "places.sqlite-shm", "key4.db", "logins.json",
           "logins-backup.json", "cert9.db", "prefs.js", "user.js", "favicons.sqlite"]


def sqlite(name):
    return ";".join(name + s for s in ["", "-wal", "-shm", "-journal"])


def firefox_plugins():
    excludes = [f"FILE|{FF_ROAMING}\\|" + ";".join(FF_KEEP), f"PATH|{FF_ROAMING}\\extensions\\|*.*",
                f"PATH|{FF_ROAMING}\\bookmarkbackups\\|*.*"]
    parts = [
        ("Cache", "Web cache, start-up cache and page thumbnails of each profile", "",
         [f"{FF_LOCAL}\\cache2|*.*|RECURSE", f"{FF_LOCAL}\\startupCache|*.*|RECURSE",
          f"{FF_LOCAL}\\thumbnails|*.*|RECURSE"], []),
        ("Cookies", "Cookies of each profile", "You will be signed out of the websites you use.",
         [f"{FF_ROAMING}|{sqlite('cookies.sqlite')}"], []),
        ("Form history", "What was typed into web forms, in each profile", "",
         [f"{FF_ROAMING}|{sqlite('formhistory.sqlite')}"], []),
        ("Session store", "Saved tabs and windows of each profile",
         "Tabs and windows of earlier sessions can no longer be restored.",
         [f"{FF_ROAMING}|sessionstore.jsonlz4", f"{FF_ROAMING}\\sessionstore-backups|*.*|RECURSE"], []),
        ("Site storage", "Databases and local storage that sites keep, in each profile",
         "Websites forget what they stored on this computer.",
         [f"{FF_ROAMING}\\storage\\default|*.*|REMOVESELF", f"{FF_ROAMING}|{sqlite('webappsstore.sqlite')}"],
         [f"PATH|{FF_ROAMING}\\storage\\default\\moz-extension*\\|*.*"]),
    ]
    for suffix, desc, warning, keys, extra in parts:
        yield {
            "name": f"Firefox - {suffix}", "desc": desc, "detect": [r"FILE|%AppData%\Mozilla\Firefox\Profiles"],
            "close": ["firefox.exe"], "warning": warning, "filekey": keys, "exclude": excludes + extra,
        }


# --- Applications ------------------------------------------------------------

def caches(root, names):
    return [f"{root}\\{n}|*.*|RECURSE" for n in names]


TEAMS_NEW = r"%LocalAppData%\Packages\MSTeams_8wekyb3d8bbwe\LocalCache\Microsoft\MSTeams"
APPLICATIONS = [
    {"name": "Discord", "desc": "Caches of the Discord app", "detect": [r"FILE|%AppData%\discord"],
     "close": ["Discord.exe"],
     "filekey": caches(r"%AppData%\discord", ["Cache", "Code Cache", "GPUCache"]),
     "exclude": [r"PATH|%AppData%\discord\Local Storage\|*.*"]},
    {"name": "Microsoft Teams (classic)", "desc": "Caches, temporary files and logs of classic Teams",
     "detect": [r"FILE|%AppData%\Microsoft\Teams"], "close": ["Teams.exe"],
     "filekey": caches(r"%AppData%\Microsoft\Teams", ["Cache", "Code Cache", "GPUCache", "tmp"]) +
     [r"%AppData%\Microsoft\Teams|logs.txt"],
     "exclude": [r"PATH|%AppData%\Microsoft\Teams\Local Storage\|*.*", r"PATH|%AppData%\Microsoft\Teams\IndexedDB\|*.*"]},
    {"name": "Microsoft Teams", "desc": "Caches and logs of the new Teams",
     "detect": [r"FILE|%LocalAppData%\Packages\MSTeams_8wekyb3d8bbwe"], "close": ["ms-teams.exe"],
     "filekey": caches(TEAMS_NEW + r"\EBWebView\Default", ["Cache", "Code Cache", "GPUCache"]) +
     caches(TEAMS_NEW, ["Logs"]),
     "exclude": [f"PATH|{TEAMS_NEW}\\EBWebView\\Default\\Local Storage\\|*.*"]},
    {"name": "Slack", "desc": "Caches and logs of the Slack app", "detect": [r"FILE|%AppData%\Slack"],
     "close": ["slack.exe"],
     "filekey": caches(r"%AppData%\Slack", ["Cache", "Code Cache", "GPUCache", r"Service Worker\CacheStorage", "logs"]),
     "exclude": [r"PATH|%AppData%\Slack\Local Storage\|*.*"]},
    {"name": "Zoom", "desc": "Logs of the Zoom app (recordings stay)", "detect": [r"FILE|%AppData%\Zoom"],
     "close": ["Zoom.exe"], "filekey": caches(r"%AppData%\Zoom", ["logs"]),
     "exclude": [r"PATH|%Documents%\Zoom\|*.*", r"PATH|%AppData%\Zoom\data\|*.*"]},
    {"name": "Spotify", "desc": "Streaming cache of Spotify (offline downloads stay)",
     "detect": [r"FILE|%AppData%\Spotify", r"FILE|%LocalAppData%\Spotify",
                r"FILE|%LocalAppData%\Packages\SpotifyAB.SpotifyMusic_*"],
     "close": ["Spotify.exe"],
     "filekey": caches(r"%LocalAppData%\Spotify", ["Data", r"Browser\Cache"]) +
     caches(r"%LocalAppData%\Packages\SpotifyAB.SpotifyMusic_*\LocalCache\Spotify", ["Data"]),
     "exclude": [r"PATH|%LocalAppData%\Spotify\Storage\|*.*",
                 r"PATH|%LocalAppData%\Packages\SpotifyAB.SpotifyMusic_*\LocalCache\Spotify\Storage\|*.*"]},
    {"name": "Visual Studio Code", "desc": "Caches and logs of the editor (unsaved edits and settings stay)",
     "detect": [r"FILE|%AppData%\Code"], "close": ["Code.exe"],
     "filekey": caches(r"%AppData%\Code", ["Cache", "CachedData", "Code Cache", "GPUCache", "CachedExtensionVSIXs",
                                          "logs", r"Service Worker\CacheStorage"]),
     "exclude": [r"PATH|%AppData%\Code\Backups\|*.*", r"PATH|%AppData%\Code\User\|*.*"]},
]

# --- Windows 10 and 11 -------------------------------------------------------

RECENT = r"%AppData%\Microsoft\Windows\Recent"
WINDOWS = [
    {"name": "Windows - Thumbnail cache", "desc": "Picture thumbnails Explorer keeps; it makes them again",
     "filekey": [r"%LocalAppData%\Microsoft\Windows\Explorer|thumbcache_*.db"]},
    {"name": "Windows - Error reports", "desc": "Your own error reports and crash dumps",
     "filekey": [r"%LocalAppData%\Microsoft\Windows\WER\ReportArchive|*.*|REMOVESELF",
                 r"%LocalAppData%\Microsoft\Windows\WER\ReportQueue|*.*|REMOVESELF",
                 r"%LocalAppData%\CrashDumps|*.dmp"]},
    {"name": "Windows - DirectX shader cache", "desc": "Compiled shaders of games and programs; made again when needed",
     "filekey": [r"%LocalAppData%\D3DSCache|*.*|RECURSE"]},
    {"name": "Windows - Recent items and jump lists", "desc": "Recent items and the jump lists of the taskbar",
     "warning": "Items pinned to the jump lists of taskbar programs are removed too. Quick Access pins stay.",
     "filekey": [f"{RECENT}|*.lnk", f"{RECENT}\\AutomaticDestinations|*.automaticDestinations-ms",
                 f"{RECENT}\\CustomDestinations|*.customDestinations-ms"],
     "exclude": [f"FILE|{RECENT}\\AutomaticDestinations\\|f01b4d95cf55d32a.automaticDestinations-ms"]},
]
for w in WINDOWS:
    w["detect"] = ["OS|10.0|"]


def text_of(p):
    lines = ["[name]", f"appname={p['name']}", "[version]", f"appver={VERSION}", "[dec]", f"decs={p['desc']}",
             "[swich]", "on=0"]

    def section(name, values):
        if values:
            lines.append(f"[{name}]")
            lines.extend(f"{i}={v}" for i, v in enumerate(values, 1))

    section("detect", p.get("detect", []))
    section("close", p.get("close", []))
    section("warning", [p["warning"]] if p.get("warning") else [])
    section("filekey", p["filekey"])
    section("exclude", p.get("exclude", []))
    return "\r\n".join(lines) + "\r\n"


def main():
    os.makedirs(OUT, exist_ok=True)
    for f in os.listdir(OUT):
        if f.endswith(".ppe"):
            os.remove(os.path.join(OUT, f))
    plugins = list(chromium_plugins()) + list(firefox_plugins()) + APPLICATIONS + WINDOWS
    for p in plugins:
        with open(os.path.join(OUT, p["name"] + ".ppe"), "w", encoding="ascii", newline="") as f:
            f.write(text_of(p))
    print(f"{len(plugins)} plug-ins in res/app/plus-in")


if __name__ == "__main__":
    main()
