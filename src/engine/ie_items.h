// Internet Explorer items with logic of their own. AOL Explorer repeats the
// first four on the same stores.
#pragma once

#include "engine/catalogue.h"

namespace nv::engine::ie {

// Deletes the typed-address key (registry +3) and writes the URL keep
// list back into it as url1..urlN, in keep-list order. A keepurl.dat that
// exists but cannot be read fails the item before anything is deleted.
void TypedUrls(RunContext& ctx);
// Empties the URL history store and counts 15 keys and 500,000 bytes for it;
// a store that cannot be opened or emptied fails the item and counts nothing.
void ClearUrlHistory(RunContext& ctx);
// Deletes the files of the cookie folder except those whose full path is a
// line of the cookie keep list (exact, case-sensitive); a keepcook.dat that
// exists but cannot be read fails the item and nothing is deleted.
void Cookies(RunContext& ctx);
// IE 6: opens Internet Options on its content page and sends the keys that
// clear forms and passwords, but only to that dialog while it is in front.
void ClearFormsIE6(RunContext& ctx);
// Gives the main window the focus back after the browser's own dialogs.
void FocusMainWindow(RunContext& ctx);

// The Internet Options dialog started by ClearFormsIE6.
inline constexpr wchar_t kInternetOptions[] = L"rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,3";

// Sends the keys, one after the other, while the foreground window is a
// dialog of process `pid`; stops at the first moment it is not. Waits (and
// pumps) up to `readyMs` for the process to be ready for input first.
// Returns how many keys were sent.
int SendKeysToDialogOf(RunContext& ctx, unsigned long pid, std::initializer_list<unsigned short> keys,
                       unsigned long readyMs);

}  // namespace nv::engine::ie
