// A second program for the shell tests: windows that belong to another
// process (as Explorer's and the browser's do), and the message a new
// taskbar sends every top-level window.
//   otherprocess_tests.exe window CLASS:SHOW ...   makes the windows (SHOW is a
//                                                  ShowWindow value, 0 = hidden),
//                                                  then pumps until ended
//   otherprocess_tests.exe broadcast NAME          posts the registered message
//                                                  NAME to every top-level window
//   otherprocess_tests.exe hold FILE polite|stubborn [FLAG]
//                                                  a program (copied as firefox.exe,
//                                                  ...) that keeps FILE open without
//                                                  sharing, with a window that closes
//                                                  when asked, or refuses; FLAG exists
//                                                  while its window does; it ends by
//                                                  itself after three minutes
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

bool g_polite = false;

LRESULT CALLBACK HoldProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE && !g_polite) return 0;
    if (msg == WM_TIMER) DestroyWindow(h);
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, msg, wp, lp);
}

int Hold(HINSTANCE inst, const wchar_t* file, const std::wstring& mode, const wchar_t* flag) {
    g_polite = mode == L"polite";
    HANDLE held = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    WNDCLASSW wc{};
    wc.lpfnWndProc = HoldProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"NorvaleHold";
    RegisterClassW(&wc);
    HWND h = CreateWindowW(wc.lpszClassName, (L"hold " + mode).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 120,
                           300, 160, nullptr, nullptr, inst, nullptr);
    if (!h) return 1;
    SetTimer(h, 1, 180000, nullptr);
    if (flag) CloseHandle(CreateFileW(flag, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    CloseHandle(held);
    if (flag) DeleteFileW(flag);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if ((argc == 4 || argc == 5) && std::wstring(argv[1]) == L"hold")
        return Hold(inst, argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (argc == 3 && std::wstring(argv[1]) == L"broadcast")
        return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(argv[2]), 0, 0) ? 0 : 1;
    if (argc < 3 || std::wstring(argv[1]) != L"window") return 2;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const size_t colon = arg.find(L':');
        const std::wstring cls = arg.substr(0, colon);
        const int show = colon == std::wstring::npos ? SW_SHOWNORMAL : std::stoi(arg.substr(colon + 1));
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = inst;
        wc.lpszClassName = cls.c_str();
        RegisterClassW(&wc);  // fails harmlessly for a class made before
        // Titled "other 2", "other 3", ... in the order given, so the tests
        // can tell them apart.
        const std::wstring title = L"other " + std::to_wstring(i);
        HWND h = CreateWindowW(cls.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 100 + 40 * i, 100, 300, 200, nullptr,
                               nullptr, inst, nullptr);
        ShowWindow(h, show);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
