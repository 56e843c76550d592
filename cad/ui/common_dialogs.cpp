// Message boxes, file dialogs and pop-up menus, shown by the current front end.
#include <algorithm>
#include <filesystem>

#include "cad/editor/console.h"
#include "cad/ui/frontend.h"

namespace {

std::u16string trimmed(std::u16string_view text)
{
    std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    std::size_t last = text.find_last_not_of(u' ');
    return std::u16string(text.substr(first, last - first + 1));
}

}  // namespace

int qxuiMessageBox(QxWindowHandle, std::u16string_view text, std::u16string_view caption, std::uint32_t flags)
{
    return qxui::frontEnd().messageBox(text, caption.empty() ? u"qxcad" : caption, flags);
}

CQxUiFileDialog::CQxUiFileDialog(bool openFileDialog, std::u16string_view defaultExt, std::u16string_view fileName,
                                 std::uint32_t flags, std::u16string_view filter, QxWindowHandle owner)
    : m_open(openFileDialog), m_defaultExt(defaultExt), m_initialName(fileName), m_filter(filter), m_flags(flags),
      m_owner(owner)
{
}

int CQxUiFileDialog::DoModal() { return qxui::frontEnd().fileDialog(*this) ? IDOK : IDCANCEL; }

std::vector<std::pair<std::u16string, std::u16string>> CQxUiFileDialog::GetFilters() const
{
    std::vector<std::pair<std::u16string, std::u16string>> filters;
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (start < m_filter.size()) {
        std::size_t bar = m_filter.find(u'|', start);
        if (bar == std::u16string::npos) bar = m_filter.size();
        parts.push_back(m_filter.substr(start, bar - start));
        start = bar + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;  // "||" ends the list
        filters.emplace_back(trimmed(parts[i]), trimmed(parts[i + 1]));
    }
    return filters;
}

bool CQxUiFileDialog::Choose(std::u16string_view path, int filterIndex, std::u16string& reason)
{
    namespace fs = std::filesystem;
    if (path.empty()) {
        reason = u"no file name given";
        return false;
    }
    int filterCount = int(GetFilters().size());
    if (filterIndex < 1 || (filterCount > 0 && filterIndex > filterCount) || (filterCount == 0 && filterIndex != 1)) {
        reason = u"no file type " + qx::fromUtf8(std::to_string(filterIndex)) + u"; the dialog offers 1 to " +
                 qx::fromUtf8(std::to_string(std::max(1, filterCount)));
        return false;
    }
    fs::path chosen(qx::toUtf8(path));
    if (chosen.filename().empty()) {
        reason = u"\"" + std::u16string(path) + u"\" names a folder, not a file";
        return false;
    }
    if (!chosen.has_extension() && !m_defaultExt.empty()) chosen += "." + qx::toUtf8(m_defaultExt);
    std::error_code error;
    fs::path full = fs::absolute(chosen, error).lexically_normal();
    if (error) {
        reason = u"\"" + std::u16string(path) + u"\" is not a valid path";
        return false;
    }
    if (!fs::is_directory(full.parent_path(), error)) {
        reason = u"the folder " + qx::fromUtf8(full.parent_path().string()) + u" does not exist";
        return false;
    }
    if ((m_flags & QxUiFile::FileMustExist) && !fs::is_regular_file(full, error)) {
        reason = u"the file " + qx::fromUtf8(full.string()) + u" does not exist";
        return false;
    }
    m_path = qx::fromUtf8(full.string());
    m_filterIndex = filterIndex;
    return true;
}

void CQxUiMenu::AppendItem(int id, std::u16string_view text, std::uint32_t flags)
{
    m_entries.push_back({id, std::u16string(text), flags & ~std::uint32_t(QxUiMenuFlag::Separator)});
}

void CQxUiMenu::AppendSeparator() { m_entries.push_back({0, u"", QxUiMenuFlag::Separator}); }

int CQxUiMenu::TrackPopupMenu(QxUiPoint point, QxWindowHandle owner) const
{
    return qxui::frontEnd().popupMenu(*this, point, owner ? owner->dialog : nullptr);
}
