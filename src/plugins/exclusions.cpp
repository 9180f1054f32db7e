#include "plugins/exclusions.h"

#include "foundation/erase_primitives.h"
#include "foundation/text.h"

namespace nv::plugins {
namespace {

std::vector<std::wstring> Segments(std::wstring_view path) {
    std::vector<std::wstring> out;
    for (auto& s : Split(path, L'\\'))
        if (!s.empty()) out.push_back(std::move(s));
    return out;
}

// `key` is `base` or lies below it (both lower-cased).
bool AtOrBelow(std::wstring_view key, std::wstring_view base) {
    return key.starts_with(base) && (key.size() == base.size() || key[base.size()] == L'\\');
}

}  // namespace

Exclusions::Exclusions(const std::vector<Exclude>& excludes, const pathvars::Folders& folders) {
    for (const Exclude& x : excludes) {
        if (x.kind == Exclude::Kind::Reg) {
            KeyRule k{ToLower(allerase::KeyText(x.key.root, x.key.subKey)), std::nullopt};
            if (x.key.value) k.value = ToLower(*x.key.value);
            keys_.push_back(std::move(k));
            continue;
        }
        std::vector<wildcard::Pattern> names;
        for (const auto& n : x.patterns) names.emplace_back(n);
        for (const auto& e : pathvars::Expand(x.folder, folders).paths) {
            // Walks hear long names: a folder given by its 8.3 short name is
            // compared in its long form, as far as it exists.
            std::wstring canon = allerase::ResolvePath(e.path);
            if (canon.empty()) continue;
            FileRule rule{x.kind == Exclude::Kind::Path, {}, names};
            for (const auto& s : Segments(canon)) rule.folder.emplace_back(s);
            files_.push_back(std::move(rule));
        }
    }
}

std::optional<std::wstring> UnresolvedExclusion(const std::vector<Exclude>& excludes, const pathvars::Folders& folders) {
    for (const Exclude& x : excludes)
        if (x.kind != Exclude::Kind::Reg && pathvars::Expand(x.folder, folders).paths.empty()) return x.folder;
    return std::nullopt;
}

bool Exclusions::KeepsFile(std::wstring_view path) const {
    if (files_.empty()) return false;
    const std::vector<std::wstring> parts = Segments(path.find(L'~') == std::wstring_view::npos ? std::wstring(path)
                                                                                              : allerase::ResolvePath(path));
    if (parts.empty()) return false;
    const std::wstring& name = parts.back();
    const size_t depth = parts.size() - 1;  // segments of the file's folder
    for (const FileRule& r : files_) {
        if (r.folder.size() > depth || (!r.subtree && r.folder.size() != depth)) continue;
        bool inside = true;
        for (size_t i = 0; inside && i < r.folder.size(); ++i) inside = r.folder[i].Matches(parts[i]);
        if (!inside) continue;
        if (r.names.empty()) return true;
        for (const auto& n : r.names)
            if (n.Matches(name)) return true;
    }
    return false;
}

bool Exclusions::KeepsKey(std::wstring_view keyText) const {
    if (keys_.empty()) return false;
    const std::wstring key = ToLower(keyText);
    for (const KeyRule& r : keys_)
        if (!r.value && AtOrBelow(key, r.key)) return true;
    return false;
}

bool Exclusions::KeepsBelow(std::wstring_view keyText) const {
    if (keys_.empty()) return false;
    const std::wstring key = ToLower(keyText);
    for (const KeyRule& r : keys_)
        if ((r.key.size() > key.size() && AtOrBelow(r.key, key)) || (r.value && r.key == key)) return true;
    return false;
}

bool Exclusions::KeepsValue(std::wstring_view keyText, std::wstring_view name) const {
    if (KeepsKey(keyText)) return true;
    const std::wstring key = ToLower(keyText), value = ToLower(name);
    for (const KeyRule& r : keys_)
        if (r.value && r.key == key && *r.value == value) return true;
    return false;
}

}  // namespace nv::plugins
