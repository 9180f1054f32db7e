#!/usr/bin/env bash
# End to end under Wine: cleaner.exe /preview and /clean with every built-in
# item selected, on prepared browser, messenger, Office and mail data of the
# test prefix. Run by ctest inside tools/test.
#   catalogue_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
root=$c/nvtest-cat
D=$root/data W='C:\nvtest-cat\data'
app=$root/app
exe='C:\nvtest-cat\app\cleaner.exe'
out=$(mktemp) err=$(mktemp) tmp=$(mktemp -d)
wine_q() { wine "$@" </dev/null 2>>"$err"; }
rm -rf "$root"
mkdir -p "$app" "$D"
cp "$bin/cleaner.exe" "$app/"

# The shell folders this test replaces, put back at the end. Wine writes
# "Shell Folders" anew from "User Shell Folders" when a browser component
# asks for a folder, so both are set.
sf='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
wine_q cmd /c "reg export \"$sf\\Shell Folders\" C:\\nvtest-cat\\sf.reg /y & reg export \"$sf\\User Shell Folders\" C:\\nvtest-cat\\usf.reg /y" >/dev/null
restore() {
  wine_q cmd /c 'regedit /s C:\nvtest-cat\sf.reg & regedit /s C:\nvtest-cat\usf.reg'
  wine_q cmd /c "reg delete HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Maxthon2 /f & reg delete HKLM\\SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498} /f" >/dev/null 2>&1
  rm -rf "$root" "$tmp"; rm -f "$out" "$err"
}
trap restore EXIT

# Files: path below the data folder | size | whether the clean removes it.
# Names ending in a dot or a blank are cleaned like any other; a name that
# only differs by them ("History.") is not the name an item looks for.
files='Cache/Content.IE5/index.dat|100|gone
Cache/Content.IE5/x/page.htm|200|gone
Cookies/u@kept.txt|10|kept
Cookies/u@case.txt|20|gone
Cookies/index.dat|30|gone
Cookies/dot.txt.|34|gone
Cookies/blank.txt |35|gone
Local/Google/Chrome/User Data/Default/History.|36|kept
Local/Google/Chrome/User Data/Default/sub/History |37|kept
Cookies/ü日本.txt|33|kept
History/History.IE5/index.dat|5|kept
Favorites/Links/a.url|40|gone
Favorites/b.url|50|gone
Roaming/Mozilla/Firefox/Profiles/a.default/places.sqlite|1000|gone
Roaming/Mozilla/Firefox/Profiles/a.default/cookies.sqlite|300|gone
Roaming/Mozilla/Firefox/Profiles/a.default/key3.db|7|gone
Roaming/Mozilla/Firefox/Profiles/a.default/prefs.js|9|kept
Roaming/Mozilla/Firefox/Profiles/c/deep/places.sqlite|50|gone
Roaming/Mozilla/Firefox/Profiles/c/Places.sqlite|8|kept
Local/Mozilla/Firefox/Profiles/a.default/Cache/0/A1|400|gone
Local/Mozilla/Firefox/Profiles/a.default/cache2/B2|3|kept
Roaming/Opera/Opera/wand.dat|11|gone
Roaming/Opera/Opera/profile/Sessions/s.win|6|gone
Local/Opera/Opera/cache/g_0000/o.tmp|12|gone
Local/Opera/Opera/thumbnails/t.png|7|gone
Roaming/Mozilla/Profiles/p/localstore.rdf|3|gone
Roaming/Mozilla/Profiles/p/Cache/x|4|gone
Roaming/Netscape/NSB/Profiles/p/history.dat|13|gone
Roaming/Netscape/Navigator/Profiles/p/history.dat|14|kept
Maxthon/SharedAccount/Data/history2.dat|15|gone
Maxthon/SharedAccount/Downloads/f.zip|16|gone
Maxthon/SharedAccount/Data/Dynamic.ini|2|kept
Local/Google/Chrome/User Data/Default/History|17|gone
Local/Google/Chrome/User Data/Default/Extensions/x/History|18|gone
Local/Google/Chrome/User Data/Default/other/history|19|kept
Local/Google/Chrome/User Data/Default/Cache/data_0|20|gone
Roaming/Apple Computer/Safari/Cookies/Cookies.plist|21|gone
Roaming/Apple Computer/Safari/History.plist|9|gone
Local/Apple Computer/Safari/History/h|8|gone
Local/Apple Computer/Safari/History/sub/h|1|kept
Roaming/ICQ/u/Application.qdb|22|gone
Docs/ICQ/u/receivedFILES/r.jpg|23|gone
Docs/ICQ/v/x/ReceivedFiles/r.jpg|5|gone
Docs/ICQ/v/Received/r.jpg|1|kept
Local/AIM/aimx.bin|20|gone
Docs/my chat logs/c.xml|24|gone
Yahoo/Profiles/p.dat|25|gone
Yahoo/Other/b.dat|1|kept
Roaming/Microsoft/Address Book/me.WAB|4|gone
Local/Identities/{x}/Deleted Items.dbx|5|gone
Local/Identities/{x}/Sent Items.dbx|26|gone
Mail/a/acct.oeaccount|27|gone
target/secret.db|1000|kept
target/dir/places.sqlite|2000|kept
target/fav/f.url|3000|kept'
while IFS='|' read -r path size _; do
  mkdir -p "$D/$(dirname "$path")"
  head -c "$size" /dev/zero > "$D/$path"
done <<< "$files"
mkdir -p "$D/Maxthon/SharedAccount/Config"
printf '[TypedUrls]\r\na=1\r\n[Other]\r\nb=2\r\n' > "$D/Maxthon/SharedAccount/Config/Config.ini"
# Links planted from this side: their targets must survive.
ln -s "$D/target/secret.db" "$D/Cookies/link.txt"
ln -s "$D/target/secret.db" "$D/Local/Google/Chrome/User Data/Default/Cookies"
ln -s "$D/target/dir" "$D/Roaming/Mozilla/Firefox/Profiles/linked"
ln -s "$D/target/fav" "$D/Favorites/linkdir"

# Keep lists: trailing blanks dropped from typed addresses; cookies kept by
# their exact full path only (the second line differs in case); UTF-8.
printf 'http://kept.example/b  \r\nhttp://kept.example/a\r\n' > "$app/keepurl.dat"
printf '\xef\xbb\xbf%s\r\n%s\r\n%s\r\n' "$W\\Cookies\\u@kept.txt" "c:\\nvtest-cat\\data\\cookies\\u@case.txt" \
  "$W\\Cookies\\ü日本.txt" > "$app/keepcook.dat"

ww=${W//\\/\\\\}
cat > "$root/prepared.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"AppData"="$ww\\\\Roaming"
"Local AppData"="$ww\\\\Local"
"Personal"="$ww\\\\Docs"
"Cache"="$ww\\\\Cache"
"Cookies"="$ww\\\\Cookies"
"History"="$ww\\\\History"
"Favorites"="$ww\\\\Favorites"
[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]
"Cache"="$ww\\\\Cache"
"Cookies"="$ww\\\\Cookies"
"History"="$ww\\\\History"

[-HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]
[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]
"url1"="http://old.example/1"
"url2"="http://old.example/2"
"url3"="http://old.example/3"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW]
"x"="y"
[HKEY_CURRENT_USER\\Software\\Microsoft\\MSN6\\Users]
[HKEY_CURRENT_USER\\Software\\Yahoo\\pager]
"Yahoo! User ID"="me"
"Other"="stays"
[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Word\\Data]
"Setting"="stays"
[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Clip Organizer]
"MRUKeywords"="stays"
[HKEY_CURRENT_USER\\Software\\Microsoft\\OfficeProfileWizard\\RecentFileList]
[HKEY_CURRENT_USER\\Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List]
[HKEY_CURRENT_USER\\Identities\\{D26D609B-5ED5-4F41-B764-6684674F99A4}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail]
[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail]
"Store Root"="$ww\\\\Mail"
[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail\\Junk Mail\\Safe Senders List]
[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Maxthon2]
"InstallLocation"="$ww\\\\Maxthon"
[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498}\\1.0\\HELPDIR]
@="$ww\\\\Yahoo\\\\"
EOF
wine_q regedit /s 'C:\nvtest-cat\prepared.reg'

# Every built-in item, catalogue order.
labels='IE Location Bar History
IE Internet History Files
IE Internet Cache
IE Cookies
IE Favorites
IE Autocomplete Memory
IE Downloaded program Files Directory
IE Index.dat Files
IE Inprivate Filter
Firefox Address Bar History
Firefox Cookies
Firefox Cache
Firefox History Files
Firefox Download Manager History
Firefox Bookmarks Files
Firefox Saved Passwords
Opera Address Bar History
Opera Cookies
Opera Cache
Opera History Files
Opera Download History
Opera Sessions Files
Opera Site Image Files
Opera Bookmarks
Opera Passwords
Netscape Address Bar History
Netscape Cookies
Netscape Cache
Netscape History Files
Netscape Download Manager History
Netscape Bookmarks
Netscape Saved Passwords
AOL Explorer Address Bar History
AOL Explorer Cookies
AOL Explorer Cache
AOL Explorer History Files
MSN Explorer Address Bar History
MSN Explorer Cookies
MSN Explorer Cache
MSN Explorer History Files
Mozilla Address Bar History
Mozilla Cookies
Mozilla Cache
Mozilla History Files
Maxthon Typed Urls
Maxthon information about open pages
Maxthon settings
Maxthon History Files
Maxthon information about open pages
Chrome download History
Chrome Cookies
Chrome Cache
Chrome History
Chrome Forms Data/Saved passwords
Chrome Session
Safari History
Safari Information about open pages
Safari Cache
Safari Cookies
Safari Download information
Safari Autocomplete
Safari Webpage Preview Images
Safari Recent Searches
Recent Documents History
Start Menu Run History
Start Menu Search History
Windows Temp
Recycle Bin
Open/Save Dialog Box History
Scandisk Temp Files
Windows Passwords(Only 9X/Me)
Windows Clipboard
Wordpad Recent Files
Windows Paint Recent Files
The custom locations from the picture location drop-down box
DirectX most recent applications
Find computer dialog box
Find files dialog box
Map network drive MRU
Microsoft management console recent file list
Past items from the notification area
Registry editor last opened key
Saved search folders from windows vista
Start menu programs and favorites menu order
The list of most recently used files and folders
Thumbs.db
Windows explorer streams MRUs
windows swap/paging file
Windows userassist MRUs
Windows XP unread mail count
Windows Live Messenger chat log folder
Windows Live Messenger Received Files folder
Yahoo! Messenger Page settings
Yahoo! Messenger profiles
Yahoo! Messenger Temporary Internet Files
Yahoo! Messenger Log Files
AOL Instant Messenger settings
AOL Instant Messenger Recent screen names
AOL Messenger user password
AOL Information about Buddy list
AOL Messenger logs
AOL Messenger Sign in history
ICQ User history
ICQ contact list
ICQ Account
ICQ All the files received from the other users
ICQ Toolbar search history
Microsoft Word
Microsoft Excel
Microsoft Powerpoint
Microsoft FrontPage
Microsoft Access
Microsoft Publisher
Microsoft InfoPath
Microsoft Project
Microsoft Visio
Clip Organizer
Microsoft Office Settings
Microsoft Office Picture Manager
Microsoft Snapshot Viewer
outlook express address book
outlook express Accounts
outlook express deleted email
outlook express sent email
outlook express outbox email
outlook express blocked senders list
outlook express history of Outlook folders you created
outlook express mail rules
outlook express news rules
outlook express signatures
Windows Mail Recently
Windows Mail Signatures
Windows Mail Block Senders list
Windows Mail Safe Senders list
Windows Mail mail rules
Windows Mail news rules
Windows Mail accounts'
# The rows of the first runs: no Windows items, and Maxthon's pages ("0")
# and settings ("yes") not selected.
first_rows() {
  sed '/^Recent Documents History$/,/^Windows XP unread mail count$/d' <<< "$labels" |
    awk '$0 == "Maxthon settings" { next } $0 == "Maxthon information about open pages" && !seen++ { next } 1' | rows
}
rows() {  # expected result rows for the labels on stdin; "clean": Wine's URL history store refuses
  awk -v clean="${1:-}" -v fail="Fail, Can't open the URL history" '{
         status = "Done"
         if ($0 == "IE Index.dat Files") status = "Need to reboot your computer!"
         if (clean != "" && ($0 == "IE Internet History Files" || $0 == "AOL Explorer History Files")) status = fail
         print $0 "\t" status
       }
       END { print "Task complete Successfully!\t" }'
}

# The profile: every key of every section; the first pair of runs without
# the Windows section and with Maxthon keys "01" (selects), "yes" and "0"
# (do not).
profile() {  # profile EVERYTHING
  {
    printf '[EXPLORER]\r\n'; for k in location history cache cookies favorites autocomplete downloaded index inprivate; do printf '%s=1\r\n' $k; done
    printf '[FIREFOX]\r\n'; for k in Address Cookies Cache History Download bookmarks passwords; do printf '%s=1\r\n' $k; done
    printf '[AOL]\r\nAddress=1\r\nCookies=1\r\nCache=1\r\nHistory=1\r\n[MSN]\r\nLocation=1\r\nCookies=1\r\nCache=1\r\nHistory=1\r\n'
    printf '[OPERA]\r\n'; for k in Address Cookies Cache History downloads Sessions Images Bookmarks Passwords; do printf '%s=1\r\n' $k; done
    printf '[NETSCAPE]\r\n'; for k in Location Cookies Cache History download bookmarks passwords; do printf '%s=1\r\n' $k; done
    printf '[Mozilla]\r\nAddress=1\r\nCookies=1\r\nCache=1\r\nHistory=1\r\n'
    if [ "$1" = 1 ]; then printf '[Maxthon]\r\nkeywords=1\r\npages=1\r\nsettings=1\r\ngroups=1\r\nfolder=1\r\n'
    else printf '[Maxthon]\r\nkeywords=01\r\npages=0\r\nsettings=yes\r\ngroups=1\r\nfolder=1\r\n'; fi
    printf '[Chrome]\r\n'; for k in download Cookies Cache History Forms Session; do printf '%s=1\r\n' $k; done
    printf '[Safari]\r\n'; for k in history pages Cache Cookies Download Autocomplete RecentSearches Images; do printf '%s=1\r\n' $k; done
    if [ "$1" = 1 ]; then
      printf '[WINDOWS]\r\n'
      for k in recent run search temp recycle open scandisk passwords clip wordpad paint picturelocation DirectX \
               findcomputer findfiles mapnetwork management notification registryeditor searchfolders menuorder \
               recentlyused thumbs streams swap userassist unread; do printf '%s=1\r\n' $k; done
    fi
    printf '[OFFICE]\r\n'; for k in word excel powerpoint frontpage Publisher InfoPath Project Visio Organizer Settings Picture Viewer access; do printf '%s=1\r\n' $k; done
    printf '[Messenger]\r\n'
    for k in msnchat msnfiles aolsettings aolnames icqsign icquser icqcontact icqaccount icqsearch icqfiles yahoopage \
             yahooprofiles yahoofiles yahoologs aolpassword aolbuddy aollogs; do printf '%s=1\r\n' $k; done
    printf '[outlook]\r\n'; for k in address accounts deleted sent outbox blocked created mailrules newsrules signatures; do printf '%s=1\r\n' $k; done
    printf '[mail]\r\n'; for k in Recently Signatures Block Safe mailrules newsrules accounts; do printf '%s=1\r\n' $k; done
  } > "$app/prisd.dat"
}

run() {  # run SWITCH: output (CR removed) in $out, exit code in $rc
  wine "$exe" "$1" >"$out" 2>>"$err" </dev/null
  rc=$?
  tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
}
state() {  # files and the user's registry, as text
  (cd "$D" && find . -printf '%p %s %y\n' | sort)
  wine_q reg export 'HKCU\Software' 'C:\nvtest-cat\hkcu.reg' /y >/dev/null
  iconv -f UTF-16LE -t UTF-8 "$root/hkcu.reg" | tr -d '\r' | grep -v '^"ShowCrashDialog"'
}
has_key() { grep -qixF "[HKEY_CURRENT_USER\\$1]" "$tmp/after"; }

# --- Browsers, messengers, Office and mail --------------------------------
profile 0
profile_before=$(md5sum < "$app/prisd.dat")
state > "$tmp/before"
run /preview
cat "$out"
check "preview exits 0" [ $rc -eq 0 ]
check "preview rows in catalogue order" diff <(grep -P '\t(Done|Need to reboot your computer!)?$' "$out") <(first_rows)
state > "$tmp/after-preview"
check "preview changed no file and no key" diff "$tmp/before" "$tmp/after-preview"
check "preview left the profile alone" [ "$(md5sum < "$app/prisd.dat")" = "$profile_before" ]
for cmd in 1 '8 ' 16 32; do
  check "preview lists ClearMyTracksByProcess '$cmd'" grep -qxF $'command\tRunDll32.exe InetCpl.cpl,ClearMyTracksByProcess '"$cmd"$'\t0' "$out"
done
# The cache and cookie index files go with their folders' items before.
check "preview lists the one reboot mark" diff <(grep $'^atreboot\t' "$out") \
  <(printf 'atreboot\tC:\\nvtest-cat\\data\\History\\History.IE5\\index.dat\t0\n')
check "preview counts each places.sqlite once (three items remove it)" [ "$(grep -c 'places\.sqlite' "$out")" = 2 ]
check "preview refuses the planted links" [ "$(grep -c $'^refused\t' "$out")" -ge 4 ]
preview_total=$(grep '^Preview: ' "$out" | sed 's/^Preview: //')

run /clean
cat "$out"
gone_bytes=$(awk -F'|' '$3 == "gone" { s += $2 } END { print s }' <<< "$files")
expected_bytes=$((gone_bytes + 3500000 + 500000))
mb() { awk -v b="$1" 'BEGIN { printf "%.2fMB", b / 1048576 }'; }
check "clean exits 0" [ $rc -eq 0 ]
# Wine's URL history store refuses everything: the two history rows of the
# clean fail and count nothing, where the preview counts what a store that
# works gives (15 keys and 500,000 bytes each).
check "preview totals" [ "$preview_total" = "Cleaned Registry Keys: 354 Released HD Space:$(mb $((expected_bytes + 1000000)))" ]
check "clean totals" grep -qxF "Task complete Successfully! Cleaned Registry Keys: 324 Released HD Space:$(mb $expected_bytes)" "$out"
check "clean history rows fail" diff <(grep -P '^(IE Internet|AOL Explorer) History Files\t' "$out") \
  <(printf 'IE Internet History Files\tFail, Can'"'"'t open the URL history\nAOL Explorer History Files\tFail, Can'"'"'t open the URL history\n')
# IE 12, AOL 13, MSN 3, messengers 10, Office without Office 209, Outlook Express 27, Windows Mail 50
check "clean registry count" grep -qa 'regnum=324' "$app/prisd.dat"
check "clean byte count $expected_bytes" grep -qa "filesize=$expected_bytes" "$app/prisd.dat"
while IFS='|' read -r path size expect; do
  if [ "$expect" = gone ]; then check "removed $path" [ ! -e "$D/$path" ]
  else check "kept $path" [ "$(stat -c %s "$D/$path" 2>/dev/null)" = "$size" ]; fi
done <<< "$files"
check "Favorites emptied and re-created (the link stays)" [ "$(ls -A "$D/Favorites")" = linkdir ]
check "Config.ini lost TypedUrls only" [ "$(tr -d '\r' < "$D/Maxthon/SharedAccount/Config/Config.ini")" = $'[Other]\nb=2' ]
check "Maxthon Downloads re-created empty" [ -d "$D/Maxthon/SharedAccount/Downloads" -a -z "$(ls -A "$D/Maxthon/SharedAccount/Downloads")" ]
state > "$tmp/after"
check "typed addresses are the keep list, in order" diff \
  <(sed -n '/^\[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\]$/,/^$/p' "$tmp/after") \
  <(printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n"url1"="http://kept.example/b"\n"url2"="http://kept.example/a"\n\n')
for k in 'Software\Microsoft\Internet Explorer\IntelliForms\SPW' 'Software\Microsoft\MSN6\Users' \
         'Software\Microsoft\FrontPage\Explorer\FrontPage Explorer\Recent File List' \
         'Software\Microsoft\Windows Mail\Junk Mail\Safe Senders List'; do
  check "removed $k" eval '! has_key "$k"'
done
for k in 'Software\Microsoft\Office\Word\Data' 'Software\Microsoft\Office\Clip Organizer' \
         'Software\Microsoft\OfficeProfileWizard\RecentFileList'; do
  check "no Office: kept $k" has_key "$k"
done
check "no Office: kept MRUKeywords" grep -qxF '"MRUKeywords"="stays"' "$tmp/after"
check "Yahoo! user id removed, other value kept" eval '! grep -qF "\"Yahoo! User ID\"" "$tmp/after" && grep -qxF "\"Other\"=\"stays\"" "$tmp/after"'

# --- Every key of every built-in section, the Windows items included ------
# Without keepurl.dat the typed addresses end as an empty key; without NSB
# the Navigator profiles are cleaned.
profile 1
rm "$app/keepurl.dat"
rm -rf "$D/Roaming/Netscape/NSB"
run /preview
check "every item: preview exits 0" [ $rc -eq 0 ]
check "every item: preview rows in catalogue order" diff <(grep -P '\t(Done|Need to reboot your computer!)?$' "$out") \
  <(rows <<< "$labels")
preview_keys=$(grep -o 'Cleaned Registry Keys: [0-9]*' "$out")
run /clean
check "every item: clean exits 0" [ $rc -eq 0 ]
check "every item: clean rows in catalogue order" diff <(head -n -1 "$out") <(rows clean <<< "$labels")
check "every item: registry count is the preview's less the refused history stores" \
  grep -qF "Cleaned Registry Keys: $((${preview_keys##* } - 30)) " "$out"
check "every item: Navigator profiles cleaned without NSB" [ ! -e "$D/Roaming/Netscape/Navigator/Profiles/p/history.dat" ]
state > "$tmp/after"
check "no keep list: an empty typed-address key" diff \
  <(sed -n '/^\[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\]$/,/^$/p' "$tmp/after") \
  <(printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n\n')

exit $fail
