#include "engine/office_items.h"

#include "foundation/system.h"

namespace nv::engine::office {

std::wstring OfficeVersionText(const std::wstring& product) {
    static const struct {
        const wchar_t* product;
        const wchar_t* version;
    } map[] = {{L"Office97", L"8.0"},    {L"Office2000", L"9.0"},  {L"Office2002", L"10.0"},
               {L"Office2003", L"11.0"}, {L"Office2007", L"12.0"}, {L"Office2010", L"14.0"}};
    for (const auto& m : map)
        if (product == m.product) return m.version;
    return L"";
}

void ProbeOfficeVersion(RunContext& ctx) {
    ctx.officeVersion = OfficeVersionText(ctx.env.officeProbe ? ctx.env.officeProbe() : GetOfficeVersion());
}

bool NewerLayout(const std::wstring& versionText) { return versionText == L"12.0" || versionText == L"14.0"; }

}  // namespace nv::engine::office
