#include "shredder/cmdline.h"

#include <windows.h>
#include <shellapi.h>

#include "shell/cli.h"
#include "shredder/shred.h"

namespace nv::shredder {

std::vector<std::wstring> Arguments(const wchar_t* commandLine) {
    std::vector<std::wstring> out;
    int n = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &n);
    if (!argv) return out;
    for (int i = 1; i < n; ++i) out.emplace_back(argv[i]);
    LocalFree(argv);
    return out;
}

std::optional<int> RunSwitch(const std::vector<std::wstring>& args) {
    if (args.empty() || (args[0].empty() || (args[0][0] != L'/' && args[0][0] != L'-'))) return std::nullopt;
    if (_wcsicmp(args[0].c_str(), L"/shred") != 0 || args.size() < 2) {
        cli::WriteError(L"Usage: NorvaleShredder.exe [PATH...] | /shred PATH...");
        return kBadSwitch;
    }
    int code = kAllShredded;
    for (size_t i = 1; i < args.size(); ++i)
        for (const Outcome& o : Shred(args[i])) {
            cli::WriteLine(o.path + L"\t" + o.text);
            if (!o.shredded) code = kSomeLeft;
        }
    return code;
}

}  // namespace nv::shredder
