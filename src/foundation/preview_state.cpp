#include "foundation/preview_state.h"

#include "foundation/text.h"

namespace nv {

std::wstring PreviewState::Key(std::wstring_view s) {
    std::wstring k = ToLower(s);
    while (k.size() > 3 && k.back() == L'\\') k.pop_back();
    return k;
}

bool PreviewState::Below(const std::wstring& path, const std::wstring& folder) {
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return folder.back() == L'\\' || path[folder.size()] == L'\\';
}

void PreviewState::RemoveFile(std::wstring_view path) { files_.insert(Key(path)); }
void PreviewState::RemoveFolder(std::wstring_view path) { removed_.push_back(Key(path)); }
void PreviewState::ClearFolder(std::wstring_view path) { cleared_.push_back(Key(path)); }
void PreviewState::RemoveFilesIn(std::wstring_view folder) { filesIn_.insert(Key(folder)); }

bool PreviewState::FolderGone(std::wstring_view path) const {
    std::wstring k = Key(path);
    for (const auto& r : removed_)
        if (k == r || Below(k, r)) return true;
    for (const auto& c : cleared_)
        if (Below(k, c)) return true;
    return false;
}

bool PreviewState::FileGone(std::wstring_view path) const {
    std::wstring k = Key(path);
    if (files_.count(k)) return true;
    size_t slash = k.find_last_of(L'\\');
    if (slash != std::wstring::npos && filesIn_.count(k.substr(0, slash == 2 ? 3 : slash))) return true;
    return FolderGone(k);
}

void PreviewState::RemoveKey(std::wstring_view keyText) { keys_.push_back(Key(keyText)); }
void PreviewState::RemoveValue(std::wstring_view valueText) { values_.insert(Key(valueText)); }
void PreviewState::RemoveSection(std::wstring_view sectionText) { sections_.insert(Key(sectionText)); }

bool PreviewState::KeyGone(std::wstring_view keyText) const {
    std::wstring k = Key(keyText);
    for (const auto& r : keys_)
        if (k == r || Below(k, r)) return true;
    return false;
}

bool PreviewState::ValueGone(std::wstring_view keyText, std::wstring_view valueText) const {
    return KeyGone(keyText) || values_.count(Key(valueText)) != 0;
}

bool PreviewState::SectionGone(std::wstring_view sectionText) const { return sections_.count(Key(sectionText)) != 0; }

}  // namespace nv
