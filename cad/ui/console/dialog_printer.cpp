// How a dialog looks on the console.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "cad/editor/console.h"
#include "cad/ui/console/console_frontend.h"

namespace qxui {

namespace {

std::u16string number(long long value) { return qx::fromUtf8(std::to_string(value)); }

std::u16string quoted(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

// Labels may carry an accelerator mark ("&Next"); the console shows the text the user types.
std::u16string label(std::u16string_view text)
{
    std::u16string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

std::u16string padded(std::u16string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), u' ');
    return text;
}

std::u16string stateMarks(const QxUiControlModel& control)
{
    std::u16string marks;
    if (!control.enabled) marks += u" (disabled)";
    if (control.kind == QxUiControlKind::DefPushButton) marks += u" (default)";
    if (control.kind == QxUiControlKind::Edit && (control.style & QxUiStyle::ReadOnly)) marks += u" (read-only)";
    return marks;
}

std::u16string cellText(const QxUiListModel& list, int item, int column)
{
    std::u16string text;
    if (const int image = list.cellImage(item, column); image >= 0) {
        CQxUiImage picture = list.smallImages.GetImage(image);
        if (!picture.IsNull()) text = picture.Describe() + u" ";
    }
    return text.append(list.cellText(item, column));
}

std::u16string rowPrefix(const QxUiListModel& list, int item)
{
    const std::uint32_t state = list.itemState(item);
    std::u16string prefix = u"#" + number(item) + ((state & QxUiList::Selected) ? u"*" : u"");
    if (list.exStyle & QxUiList::CheckBoxes) {
        int stateImage = QxUiList::StateImageOf(state);
        prefix = padded(prefix, 4) + (stateImage == 2 ? u" [x]" : u" [ ]");
    }
    return prefix;
}

bool isReport(const QxUiControlModel& control)
{
    return (control.style & QxUiStyle::ReportView) && !control.list->columns.empty();
}

const std::u16string kListIndent = u"         ";

bool g_fullLists = false;

// The rows [from, to) of a list; in report view a header and columns as wide as their widest
// printed text.
void renderRows(const QxUiControlModel& control, std::size_t from, std::size_t to, std::u16string& out)
{
    const QxUiListModel& list = *control.list;
    if (!isReport(control)) {
        for (std::size_t i = from; i < to; ++i)
            out += kListIndent + rowPrefix(list, int(i)) + u" " + cellText(list, int(i), 0) + u"\n";
        return;
    }
    std::vector<int> shown;
    for (int column : list.order)
        if (list.showsColumn(column)) shown.push_back(column);

    // One text per cell, then every column as wide as its widest text.
    std::vector<std::vector<std::u16string>> table;
    std::vector<std::u16string> header{u""};
    for (int column : shown) {
        const QxUiColumnModel& c = list.columns[std::size_t(column)];
        std::u16string title = number(column) + u":" + c.title;
        if (c.sortArrow == QxUiList::ArrowUp) title += u" ^";
        if (c.sortArrow == QxUiList::ArrowDown) title += u" v";
        if (c.editable) title += u" (editable)";
        header.push_back(title);
    }
    table.reserve(to - from + 1);
    table.push_back(header);
    for (std::size_t i = from; i < to; ++i) {
        std::vector<std::u16string> row{rowPrefix(list, int(i))};
        for (int column : shown) row.push_back(cellText(list, int(i), column));
        table.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    for (const auto& row : table) {
        std::u16string line = kListIndent + padded(row[0], widths[0]);
        for (std::size_t c = 1; c < row.size(); ++c) line += u" | " + padded(row[c], c + 1 < row.size() ? widths[c] : 0);
        while (!line.empty() && line.back() == u' ') line.pop_back();
        out += line + u"\n";
    }
}

void renderList(const QxUiControlModel& control, std::size_t from, std::size_t to, std::u16string& out)
{
    const QxUiListModel& list = *control.list;
    const std::size_t count = list.itemCount();
    if (count == 0) {
        if (isReport(control)) renderRows(control, 0, 0, out);
        out += kListIndent + (list.emptyText.empty() ? u"(no items)" : list.emptyText) + u"\n";
        return;
    }
    to = std::min(to, count);
    from = std::min(from, to);
    if (from > 0)
        out += kListIndent + u"(rows #" + number(static_cast<long long>(from)) + u" to #" + number(static_cast<long long>(to) - 1) + u" of " +
               number(static_cast<long long>(count)) + u")\n";
    renderRows(control, from, to, out);
    if (to < count) out += moreRowsLine(control.id, to, count - to);
}

std::u16string describeControl(const QxUiControlModel& control)
{
    switch (control.kind) {
    case QxUiControlKind::Static: return u"text " + quoted(control.text);
    case QxUiControlKind::GroupBox: return u"group " + quoted(label(control.text));
    case QxUiControlKind::PushButton:
    case QxUiControlKind::DefPushButton: {
        std::u16string text = u"button " + quoted(label(control.text));
        if (!control.image.IsNull()) text += u" " + control.image.Describe();
        return text;
    }
    case QxUiControlKind::CheckBox: return std::u16string(u"check box ") + (control.check ? u"[x] " : u"[ ] ") + quoted(label(control.text));
    case QxUiControlKind::RadioButton: return std::u16string(u"radio ") + (control.check ? u"(o) " : u"( ) ") + quoted(label(control.text));
    case QxUiControlKind::Edit: return u"edit " + quoted(control.text);
    case QxUiControlKind::Picture: return u"picture " + (control.image.IsNull() ? std::u16string(u"(empty)") : control.image.Describe());
    case QxUiControlKind::ListView: {
        std::u16string text = u"list";
        const QxUiListModel& list = *control.list;
        if (list.exStyle & QxUiList::CheckBoxes) text += u", rows with check boxes";
        return text;
    }
    }
    return u"control";
}

}  // namespace

void setFullLists(bool full) { g_fullLists = full; }
bool fullLists() { return g_fullLists; }

std::u16string moreRowsLine(int listId, std::size_t next, std::size_t more)
{
    const std::u16string id = number(listId);
    const std::size_t last = next + std::min(more, kScreenRows) - 1;
    return kListIndent + u"(" + number(static_cast<long long>(more)) + (more == 1 ? u" more row" : u" more rows") + u": show " + id +
           u" " + number(static_cast<long long>(next)) + u"-" + number(static_cast<long long>(last)) + u" | show " + id + u" all)\n";
}

std::u16string renderDialog(const QxUiDialogModel& dialog, ListRows rows)
{
    const std::size_t shownRows = rows == ListRows::All || g_fullLists ? SIZE_MAX : kScreenRows;
    std::u16string out = u"Dialog " + quoted(dialog.caption) + u"\n";
    for (const auto& control : dialog.controls) {
        if (!control->visible) continue;
        out += controlLine(*control);
        if (control->list) renderList(*control, 0, shownRows, out);
    }
    return out;
}

std::u16string controlLine(const QxUiControlModel& control)
{
    std::u16string id = u"[" + number(control.id) + u"]";
    return u"  " + padded(id, 7) + describeControl(control) + stateMarks(control) + u"\n";
}

std::u16string renderListRows(const QxUiControlModel& control, std::size_t first, std::size_t last)
{
    std::u16string out = controlLine(control);
    renderList(control, first, last == SIZE_MAX ? last : last + 1, out);
    return out;
}

std::u16string renderDialogHelp(const QxUiDialogModel& dialog)
{
    bool buttons = false, checks = false, edits = false, rowChecks = false, cellChecks = false, editable = false,
         reports = false, movable = false;
    for (const auto& control : dialog.controls) {
        if (!control->visible) continue;
        switch (control->kind) {
        case QxUiControlKind::PushButton:
        case QxUiControlKind::DefPushButton:
        case QxUiControlKind::RadioButton: buttons = true; break;
        case QxUiControlKind::CheckBox: checks = buttons = true; break;
        case QxUiControlKind::Edit: edits = true; break;
        case QxUiControlKind::ListView: {
            const QxUiListModel& list = *control->list;
            rowChecks = rowChecks || (list.exStyle & QxUiList::CheckBoxes);
            if (!isReport(*control)) break;
            reports = true;
            movable = movable || (list.exStyle & QxUiList::HeaderDragDrop);
            for (const auto& column : list.columns) editable = editable || column.editable;
            cellChecks = cellChecks || list.hasCellCheckImages();
            break;
        }
        default: break;
        }
    }
    std::u16string out = u"Actions (name a control by [id] or its text; a row by #n or a cell's text; a column by number or title):\n";
    if (buttons) out += u"  click <control>\n";
    if (checks) out += u"  check <control> | uncheck <control>\n";
    if (edits) out += u"  type <control> \"text\"\n";
    if (rowChecks) out += u"  check <list> <row> | uncheck <list> <row>\n";
    if (cellChecks)
        out += u"  check <list> <row> [<column>] | uncheck <list> <row> [<column>]   (a check image; without a column,"
               u" the list's first column of them)\n";
    if (editable) out += u"  edit <list> <row> <column> \"text\"\n";
    if (reports) out += u"  sort <list> <column> | header-menu <list> <column> | cell-menu <list> <row> <column>\n";
    if (movable) out += u"  move-column <list> <column> <place>\n";
    if (reports || rowChecks) out += u"  show <list> all | show <list> <from>-<to>   (rows of a long list)\n";
    out += u"  ok (Enter) | cancel (Escape) | show | help\n";
    return out;
}

}  // namespace qxui
