// What a preview run has already "removed". In preview nothing is deleted,
// so without this a later primitive would find and count again what an
// earlier one of the same run would have removed (the temp item's
// DeleteAllFilesInTree followed by EmptyFolder on the same folder, two
// browser items deleting the same file). The primitives consult it so a
// preview's totals are those of a clean on the same state.
//
// Memory stays small: whole folders are recorded as one entry; single files
// only when they were matched by name or extension, or when their folder
// was not removed whole.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace nv {

class PreviewState {
public:
    // Files and folders; paths in their canonical form (case is ignored).
    void RemoveFile(std::wstring_view path);
    void RemoveFolder(std::wstring_view path);       // the folder and all below it
    void ClearFolder(std::wstring_view path);        // all below it; the folder stays
    void RemoveFilesIn(std::wstring_view folder);    // the files directly in it
    bool FileGone(std::wstring_view path) const;
    bool FolderGone(std::wstring_view path) const;

    // Registry keys and values, INI sections, as the listing writes them.
    void RemoveKey(std::wstring_view keyText);       // the key and all below it
    void RemoveValue(std::wstring_view valueText);
    void RemoveSection(std::wstring_view sectionText);
    bool KeyGone(std::wstring_view keyText) const;
    bool ValueGone(std::wstring_view keyText, std::wstring_view valueText) const;
    bool SectionGone(std::wstring_view sectionText) const;

private:
    static std::wstring Key(std::wstring_view s);
    static bool Below(const std::wstring& path, const std::wstring& folder);  // strictly below

    std::unordered_set<std::wstring> files_, filesIn_, values_, sections_;
    std::vector<std::wstring> removed_, cleared_, keys_;
};

}  // namespace nv
