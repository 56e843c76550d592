// The console front end: reads actions for dialogs, message boxes, menus and file dialogs.
#include "cad/ui/console/console_frontend.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "cad/editor/console.h"
#include "cad/ui/actions.h"

namespace qxui {

namespace {

struct Word {
    std::u16string text;
    bool quoted = false;
};

std::u16string number(long long value) { return qx::fromUtf8(std::to_string(value)); }

// Words and double-quoted texts ("" or \" inside quotes is a quote, \\ a backslash).
bool splitWords(std::u16string_view line, std::vector<Word>& words, std::u16string& reason)
{
    std::size_t i = 0;
    while (i < line.size()) {
        char16_t c = line[i];
        if (c == u' ' || c == u'\t' || c == u'\r') {
            ++i;
            continue;
        }
        Word word;
        if (c == u'"') {
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char16_t d = line[i++];
                if (d == u'\\' && i < line.size() && (line[i] == u'"' || line[i] == u'\\')) {
                    word.text += line[i++];
                } else if (d == u'"') {
                    if (i < line.size() && line[i] == u'"') {
                        word.text += u'"';
                        ++i;
                        continue;
                    }
                    closed = true;
                    break;
                } else {
                    word.text += d;
                }
            }
            if (!closed) {
                reason = u"a quoted text is not closed";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != u' ' && line[i] != u'\t' && line[i] != u'\r') word.text += line[i++];
        }
        words.push_back(std::move(word));
    }
    return true;
}

std::optional<int> asNumber(const Word& word)
{
    if (word.quoted || word.text.empty() || word.text.size() > 9) return std::nullopt;
    std::size_t start = word.text[0] == u'-' ? 1 : 0;
    if (start == word.text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = start; i < word.text.size(); ++i) {
        if (word.text[i] < u'0' || word.text[i] > u'9') return std::nullopt;
        value = value * 10 + (word.text[i] - u'0');
    }
    return start ? -value : value;
}

char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool sameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Labels may carry an accelerator mark ("&Next"); the user types the text as shown.
std::u16string withoutAccelerator(std::u16string_view text)
{
    std::u16string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

// Finds the first candidate whose text equals `wanted`, exactly first, then ignoring case.
template <class Range, class TextOf>
int findByText(const Range& candidates, std::u16string_view wanted, TextOf textOf)
{
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < int(candidates.size()); ++i) {
            std::u16string text = textOf(candidates[std::size_t(i)], i);
            if (pass == 0 ? text == wanted : sameIgnoringCase(text, wanted)) return i;
        }
    return -1;
}

// The visible control that the template names `name` (its English text), or, for the
// standard buttons, the one with the standard id.
QxUiControlModel* byEnglishName(QxUiDialogModel& dialog, std::u16string_view name)
{
    std::vector<const QxUiControlTemplate*> named;
    for (const auto& control : dialog.dialogTemplate.controls)
        if (!control.text.empty() && control.id != -1) named.push_back(&control);
    int found = findByText(named, name, [](const QxUiControlTemplate* c, int) { return withoutAccelerator(c->text); });
    if (found >= 0)
        if (QxUiControlModel* control = dialog.find(named[std::size_t(found)]->id); control && control->visible)
            return control;
    static const std::pair<std::u16string_view, int> standard[] = {
        {u"OK", IDOK}, {u"Cancel", IDCANCEL}, {u"Yes", IDYES}, {u"No", IDNO}};
    for (const auto& [text, id] : standard)
        if (sameIgnoringCase(text, name))
            if (QxUiControlModel* control = dialog.find(id); control && control->visible) return control;
    return nullptr;
}

QxUiControlModel* resolveControl(QxUiDialogModel& dialog, const Word& word, std::u16string& reason)
{
    std::u16string key = word.text;
    if (!word.quoted && key.size() > 2 && key.front() == u'[' && key.back() == u']') key = key.substr(1, key.size() - 2);
    if (auto id = asNumber(Word{key, false})) {
        if (QxUiControlModel* control = dialog.find(*id)) return control;
        reason = u"the dialog has no control " + number(*id);
        return nullptr;
    }
    std::vector<QxUiControlModel*> visible;
    for (const auto& control : dialog.controls)
        if (control->visible && !control->text.empty()) visible.push_back(control.get());
    int found = findByText(visible, key, [](QxUiControlModel* c, int) { return withoutAccelerator(c->text); });
    if (found >= 0) return visible[std::size_t(found)];
    // A page translates its texts, but the template keeps the English ones: a script written
    // in one language still runs in the others.
    if (QxUiControlModel* control = byEnglishName(dialog, key)) return control;
    reason = u"the dialog has no control \"" + key + u"\"";
    return nullptr;
}

QxUiControlModel* resolveList(QxUiDialogModel& dialog, const Word& word, std::u16string& reason)
{
    QxUiControlModel* control = resolveControl(dialog, word, reason);
    if (control && !control->list) {
        reason = u"control " + number(control->id) + u" is not a list";
        return nullptr;
    }
    return control;
}

std::optional<int> resolveRow(const QxUiControlModel& control, const Word& word, std::u16string& reason)
{
    const QxUiListModel& list = *control.list;
    if (!word.quoted && word.text.size() > 1 && word.text[0] == u'#') {
        if (auto index = asNumber(Word{word.text.substr(1), false}); index && list.hasItem(*index))
            return *index;
        reason = u"list " + number(control.id) + u" has no row " + word.text;
        return std::nullopt;
    }
    // A row is named by the text of any of its cells that the user sees.
    for (int pass = 0; pass < 2; ++pass)
        for (int item = 0; item < int(list.itemCount()); ++item)
            for (int column = 0; column < int(list.cellCount()); ++column) {
                if (!list.columns.empty() && !list.showsColumn(column)) continue;
                const std::u16string_view text = list.cellText(item, column);
                if (pass == 0 ? text == word.text : sameIgnoringCase(text, word.text)) return item;
            }
    reason = u"list " + number(control.id) + u" has no row \"" + word.text + u"\"";
    return std::nullopt;
}

std::optional<int> resolveColumn(const QxUiControlModel& control, const Word& word, std::u16string& reason)
{
    const QxUiListModel& list = *control.list;
    if (auto index = asNumber(word)) {
        if (list.showsColumn(*index)) return *index;
        reason = u"list " + number(control.id) + u" shows no column " + word.text;
        return std::nullopt;
    }
    int found = findByText(list.columns, word.text, [&](const QxUiColumnModel& c, int i) {
        return list.showsColumn(i) ? c.title : std::u16string(u"\x1f");
    });
    if (found < 0) {
        reason = u"list " + number(control.id) + u" shows no column \"" + word.text + u"\"";
        return std::nullopt;
    }
    return found;
}

bool finish(const ActionResult& result, std::u16string& reason)
{
    if (!result.ok) reason = result.reason;
    return result.ok;
}

bool usage(std::u16string_view text, std::u16string& reason)
{
    reason = u"usage: " + std::u16string(text);
    return false;
}

// The shown columns of a list that hold check-box pictures.
std::vector<int> checkImageColumns(const QxUiControlModel& control)
{
    const QxUiListModel& list = *control.list;
    std::vector<int> columns;
    for (int column : list.order) {
        if (list.showsColumn(column) && list.hasCellCheckImages(column)) columns.push_back(column);
    }
    return columns;
}

// Menus that a right-click opens are looked at without being shown: the front end answers
// them itself, either noting their entries (probe) or choosing one named beforehand.
struct MenuRequest {
    enum class Mode { None, Probe, Answer } mode = Mode::None;
    std::u16string answer;
    std::vector<std::u16string> entries;
    bool opened = false;
};

MenuRequest& menuRequest()
{
    static MenuRequest request;
    return request;
}

// The enabled entries of the menu that the list opens for a right-click on a header (item -1)
// or a cell, empty when it opens none.
std::vector<std::u16string> probeMenu(QxUiControlModel& control, int item, int column)
{
    MenuRequest& request = menuRequest();
    request = MenuRequest{MenuRequest::Mode::Probe, {}, {}, false};
    QxUiNotify notify;
    notify.code = item < 0 ? QxUiNotifyCode::HeaderRightClick : QxUiNotifyCode::RightClick;
    notify.controlId = control.id;
    notify.item = item;
    notify.subItem = column;
    notify.point = item < 0 ? headerPoint(control, column) : cellPoint(control, item, column);
    // Only the list's own object is asked: a dialog must not hear clicks nobody made.
    if (control.list->reflector) control.list->reflector->OnReflectedNotify(notify);
    std::vector<std::u16string> entries = std::move(request.entries);
    request = MenuRequest{};
    return entries;
}

// Where a menu can open in a dialog: "cell-menu <list> <row> <column>" or "header-menu ...".
struct MenuPlace {
    QxUiControlModel* list = nullptr;
    bool header = false;
    int column = 0;
    std::vector<std::u16string> entries;
};

std::vector<MenuPlace> menuPlaces(QxUiDialogModel& dialog)
{
    std::vector<MenuPlace> places;
    for (const auto& control : dialog.controls) {
        if (!control->visible || !control->enabled || !control->list || !(control->style & QxUiStyle::ReportView))
            continue;
        for (int column : std::vector<int>(control->list->order)) {
            if (!control->list->showsColumn(column)) continue;
            if (control->list->itemCount() != 0)
                if (auto entries = probeMenu(*control, 0, column); !entries.empty())
                    places.push_back({control.get(), false, column, std::move(entries)});
            if (auto entries = probeMenu(*control, -1, column); !entries.empty())
                places.push_back({control.get(), true, column, std::move(entries)});
        }
    }
    return places;
}

std::u16string entriesText(const std::vector<std::u16string>& entries)
{
    std::u16string text;
    for (const auto& entry : entries) text += (text.empty() ? u"\"" : u" | \"") + entry + u"\"";
    return text;
}

// The menus of the dialog and their entries, for the help.
std::u16string renderMenus(QxUiDialogModel& dialog)
{
    std::u16string out;
    std::u16string previousHeaderMenu;
    for (const MenuPlace& place : menuPlaces(dialog)) {
        const std::u16string where = place.header ? u"header-menu " + number(place.list->id) + u" <column>"
                                                  : u"cell-menu " + number(place.list->id) + u" <row> " + number(place.column);
        const std::u16string line = u"  " + where + u": " + entriesText(place.entries) + u"\n";
        // A header menu is the same whichever header is clicked: it is listed once.
        if (place.header && line == previousHeaderMenu) continue;
        if (place.header) previousHeaderMenu = line;
        out += line;
    }
    if (out.empty()) return out;
    return u"Menus (then choose \"<entry>\"; or choose \"<entry>\" alone opens the first menu that has it):\n" + out;
}

bool chooseAction(QxUiDialogModel& dialog, const std::vector<Word>& w, std::u16string& reason)
{
    if (w.size() != 2) return usage(u"choose \"<menu entry>\"", reason);
    const std::vector<MenuPlace> places = menuPlaces(dialog);
    for (int pass = 0; pass < 2; ++pass)
        for (const MenuPlace& place : places)
            for (const auto& entry : place.entries) {
                if (pass == 0 ? entry != w[1].text : !sameIgnoringCase(entry, w[1].text)) continue;
                menuRequest() = MenuRequest{MenuRequest::Mode::Answer, entry, {}, false};
                const ActionResult result = place.header ? rightClickHeader(dialog, place.list->id, place.column)
                                                         : rightClickCell(dialog, place.list->id, 0, place.column);
                menuRequest() = MenuRequest{};
                return finish(result, reason);
            }
    reason = u"no menu of this dialog has the entry \"" + w[1].text + u"\"";
    if (!places.empty()) reason += u"; type help for the menus and their entries";
    return false;
}

bool checkAction(QxUiDialogModel& dialog, const std::vector<Word>& w, bool checked, std::u16string& reason)
{
    const std::u16string verb = checked ? u"check" : u"uncheck";
    if (w.size() < 2 || w.size() > 4) return usage(verb + u" <control> | " + verb + u" <list> <row> [<column>]", reason);
    QxUiControlModel* control = resolveControl(dialog, w[1], reason);
    if (!control) return false;
    if (!control->list) {
        if (w.size() != 2) return usage(verb + u" <control>", reason);
        return finish(setButtonChecked(dialog, control->id, checked), reason);
    }
    if (w.size() < 3) return usage(verb + u" <list> <row> [<column>]", reason);
    auto row = resolveRow(*control, w[2], reason);
    if (!row) return false;
    if (w.size() == 3) {
        // Without row check boxes, a list whose checks are pictures takes the row's check in
        // its first such column (the one that chooses the row; others, such as totals, follow).
        const std::vector<int> columns = checkImageColumns(*control);
        if (!(control->list->exStyle & QxUiList::CheckBoxes) && !columns.empty())
            return finish(setCellChecked(dialog, control->id, *row, columns.front(), checked), reason);
        return finish(setItemChecked(dialog, control->id, *row, checked), reason);
    }
    auto column = resolveColumn(*control, w[3], reason);
    return column && finish(setCellChecked(dialog, control->id, *row, *column, checked), reason);
}

bool listColumnAction(QxUiDialogModel& dialog, const std::vector<Word>& w, std::u16string& reason)
{
    const std::u16string& verb = w[0].text;
    if (w.size() != 3) return usage(verb + u" <list> <column>", reason);
    QxUiControlModel* list = resolveList(dialog, w[1], reason);
    if (!list) return false;
    auto column = resolveColumn(*list, w[2], reason);
    if (!column) return false;
    return finish(verb == u"sort" ? clickHeader(dialog, list->id, *column) : rightClickHeader(dialog, list->id, *column),
                  reason);
}

bool moveColumnAction(QxUiDialogModel& dialog, const std::vector<Word>& w, std::u16string& reason)
{
    if (w.size() != 4) return usage(u"move-column <list> <column> <place>", reason);
    QxUiControlModel* list = resolveList(dialog, w[1], reason);
    if (!list) return false;
    auto column = resolveColumn(*list, w[2], reason);
    if (!column) return false;
    auto place = asNumber(w[3]);
    if (!place) return usage(u"move-column <list> <column> <place>, the place a number", reason);
    return finish(moveColumn(dialog, list->id, *column, *place), reason);
}

bool cellAction(QxUiDialogModel& dialog, const std::vector<Word>& w, std::u16string& reason)
{
    bool edit = w[0].text == u"edit";
    if (w.size() != (edit ? 5u : 4u))
        return usage(edit ? u"edit <list> <row> <column> \"text\"" : u"cell-menu <list> <row> <column>", reason);
    QxUiControlModel* list = resolveList(dialog, w[1], reason);
    if (!list) return false;
    auto row = resolveRow(*list, w[2], reason);
    if (!row) return false;
    auto column = resolveColumn(*list, w[3], reason);
    if (!column) return false;
    if (edit) return finish(editCell(dialog, list->id, *row, *column, w[4].text), reason);
    return finish(rightClickCell(dialog, list->id, *row, *column), reason);
}

bool readLine(std::u16string_view prompt, std::u16string& line) { return qx::readInputLine(prompt, line); }

// A dialog as compared before and after an action: each visible control's line, then its
// list's lines. The lines of a list are shared with the cache that made them.
using Lines = std::vector<std::u16string>;
struct ControlView {
    std::u16string line;
    std::shared_ptr<const Lines> listLines;

    const Lines& rows() const
    {
        static const Lines none;
        return listLines ? *listLines : none;
    }
};

// The rows of the lists for comparing a dialog before and after an action. A list is rendered
// only when it changed since it was last rendered, and its state before an action only when
// the action changes it (the list calls back just before its first change): a preview of a
// hundred thousand rows, rendered twice per action, made every click take seconds.
class DialogViews {
public:
    // The dialog before an action; afterAction() must follow the action.
    std::vector<ControlView> beforeAction(const QxUiDialogModel& dialog)
    {
        return viewsOf(dialog, [this](const QxUiControlModel& control) -> std::shared_ptr<const Lines> {
            Rendered& cached = m_lists[control.list.get()];
            if (!current(cached, control))
                cached = {control.list->revision, control.style, std::make_shared<Lines>(), true};
            if (cached.pending) {
                // Not rendered as it is: rendered from the hook, if the action changes it.
                control.list->beforeChange = [lines = cached.lines, pControl = &control] {
                    *lines = renderedRows(*pControl);
                };
            }
            return cached.lines;
        });
    }

    std::vector<ControlView> afterAction(const QxUiDialogModel& dialog)
    {
        return viewsOf(dialog, [this](const QxUiControlModel& control) -> std::shared_ptr<const Lines> {
            Rendered& cached = m_lists[control.list.get()];
            if (!current(cached, control))
                cached = {control.list->revision, control.style, std::make_shared<Lines>(renderedRows(control)), false};
            return cached.lines;
        });
    }

    // After the action: a later change, made when no comparison waits for it, renders nothing.
    void forget(const QxUiDialogModel& dialog)
    {
        for (const auto& control : dialog.controls)
            if (control->list) control->list->beforeChange = nullptr;
    }

private:
    // Every shown control as a line, with the rows `listRows` gives for a list.
    template <typename ListRows>
    static std::vector<ControlView> viewsOf(const QxUiDialogModel& dialog, ListRows listRows)
    {
        std::vector<ControlView> out;
        for (const auto& control : dialog.controls) {
            if (!control->visible) continue;
            std::shared_ptr<const Lines> rows;
            if (control->list) rows = listRows(*control);
            out.push_back({lineOf(*control), std::move(rows)});
        }
        return out;
    }

    struct Rendered {
        std::uint64_t revision = 0;
        std::uint32_t style = 0;
        std::shared_ptr<Lines> lines;  // changed only by the hook, while pending
        bool pending = false;  // `lines` waits for the hook: the list was not rendered as it is
    };

    static bool current(const Rendered& cached, const QxUiControlModel& control)
    {
        return cached.lines && cached.revision == control.list->revision && cached.style == control.style;
    }

    static std::u16string lineOf(const QxUiControlModel& control)
    {
        std::u16string line = controlLine(control);
        line.pop_back();  // its line break
        return line;
    }

    static Lines renderedRows(const QxUiControlModel& control)
    {
        const std::u16string printed = renderListRows(control, 0, SIZE_MAX);
        Lines lines;
        for (std::size_t at = printed.find(u'\n') + 1; at < printed.size();) {  // after the control's own line
            const std::size_t end = printed.find(u'\n', at);
            lines.push_back(printed.substr(at, end - at));
            at = end + 1;
        }
        return lines;
    }

    std::unordered_map<const QxUiListModel*, Rendered> m_lists;
};

// The same row whatever the widths of the columns around it and whether it is selected (a
// click selects the row it acts on; that alone is not worth a line).
std::u16string rowKey(std::u16string_view line)
{
    std::u16string out;
    for (char16_t c : line)
        if (c != u' ' || (!out.empty() && out.back() != u' ')) out += c;
    while (!out.empty() && out.back() == u' ') out.pop_back();
    if (out.starts_with(u"#"))
        if (const std::size_t mark = out.find(u'*'); mark != std::u16string::npos && mark < out.find(u' ')) out.erase(mark, 1);
    return out;
}

// What an action changed in a dialog, control by control: a control's line when it changed,
// and of a list the lines that are new (a row checked, renamed, moved) or how many went. A
// list prints a screenful of its changed rows at most, then says how many more changed.
std::u16string describeChanges(const std::vector<ControlView>& was, const std::vector<ControlView>& after)
{
    std::u16string out;
    for (const ControlView& view : after) {
        const std::u16string id = view.line.substr(0, view.line.find(u']') + 1);
        const auto old = std::find_if(was.begin(), was.end(), [&](const ControlView& v) { return v.line.starts_with(id); });
        if (old != was.end() && old->line == view.line &&
            (old->listLines == view.listLines || old->rows() == view.rows()))
            continue;
        out += view.line + u"\n";
        if (old == was.end()) continue;
        const Lines& nowRows = view.rows();
        const Lines& oldRows = old->rows();
        // A new header (a sort, a moved or hidden column) reorders the rows: all are shown.
        auto header = [](const Lines& lines) {
            return lines.empty() || rowKey(lines.front()).starts_with(u"#") ? std::u16string() : rowKey(lines.front());
        };
        const bool bNewHeader = header(nowRows) != header(oldRows);
        std::unordered_map<std::u16string, std::size_t> oldKeys;
        for (const auto& line : oldRows) ++oldKeys[rowKey(line)];
        std::size_t printed = 0, notPrinted = 0;
        for (const auto& line : nowRows) {
            const auto same = oldKeys.find(rowKey(line));
            const bool bWasThere = same != oldKeys.end() && same->second > 0;
            if (bWasThere) --same->second;
            if (bWasThere && !bNewHeader) continue;
            // The header line does not count as a row.
            const bool bRow = rowKey(line).starts_with(u"#");
            if (bRow && printed >= qxui::kScreenRows && !qxui::fullLists()) {
                ++notPrinted;
                continue;
            }
            printed += bRow;
            out += line + u"\n";
        }
        if (notPrinted > 0)
            out += u"         (" + number(static_cast<long long>(notPrinted)) + u" more changed rows: show " +
                   id.substr(3, id.size() - 4) + u" all)\n";
        if (nowRows.size() < oldRows.size())
            out += u"         (" + number(static_cast<long long>(oldRows.size() - nowRows.size())) +
                   u" rows fewer)\n";
    }
    return out.empty() ? u"  (no change)\n" : out;
}

// "show <list> all" or "show <list> <from>-<to>": rows of a long list.
bool showRowsAction(QxUiDialogModel& dialog, const std::vector<Word>& w, std::u16string& reason)
{
    const std::u16string_view kUsage = u"show | show <list> all | show <list> <from>-<to>";
    if (w.size() != 3) return usage(kUsage, reason);
    QxUiControlModel* list = resolveList(dialog, w[1], reason);
    if (!list) return false;
    std::size_t first = 0, last = SIZE_MAX;
    if (w[2].quoted || w[2].text != u"all") {
        const std::size_t dash = w[2].text.find(u'-');
        const auto from = dash == std::u16string::npos ? std::nullopt : asNumber(Word{w[2].text.substr(0, dash), false});
        const auto to = dash == std::u16string::npos ? std::nullopt : asNumber(Word{w[2].text.substr(dash + 1), false});
        if (w[2].quoted || !from || !to || *from < 0 || *to < *from) return usage(kUsage, reason);
        const int count = int(list->list->itemCount());
        if (*from >= count) {
            reason = u"list " + number(list->id) + u" has " + number(count) + u" rows, #0 to #" + number(count - 1);
            return false;
        }
        first = std::size_t(*from);
        last = std::size_t(*to);
    }
    qx::print(renderListRows(*list, first, last));
    return true;
}

}  // namespace

bool runDialogAction(QxUiDialogModel& dialog, std::u16string_view line, std::u16string& reason)
{
    std::vector<Word> w;
    if (!splitWords(line, w, reason)) return false;
    if (w.empty()) return true;
    const std::u16string verb = w[0].quoted ? u"" : w[0].text;
    if (verb == u"show" && w.size() == 1) {
        qx::print(renderDialog(dialog));
        return true;
    }
    if (verb == u"show") return showRowsAction(dialog, w, reason);
    if (verb == u"help") {
        qx::print(renderDialogHelp(dialog) + renderMenus(dialog));
        return true;
    }
    if (verb == u"choose") return chooseAction(dialog, w, reason);
    if (verb == u"ok" && w.size() == 1) return finish(pressEnter(dialog), reason);
    if (verb == u"cancel" && w.size() == 1) return finish(pressEscape(dialog), reason);
    if (verb == u"click") {
        if (w.size() != 2) return usage(u"click <control>", reason);
        QxUiControlModel* control = resolveControl(dialog, w[1], reason);
        return control && finish(clickButton(dialog, control->id), reason);
    }
    if (verb == u"check" || verb == u"uncheck") return checkAction(dialog, w, verb == u"check", reason);
    if (verb == u"type") {
        if (w.size() != 3) return usage(u"type <control> \"text\"", reason);
        QxUiControlModel* control = resolveControl(dialog, w[1], reason);
        return control && finish(typeText(dialog, control->id, w[2].text), reason);
    }
    if (verb == u"sort" || verb == u"header-menu") return listColumnAction(dialog, w, reason);
    if (verb == u"move-column") return moveColumnAction(dialog, w, reason);
    if (verb == u"edit" || verb == u"cell-menu") return cellAction(dialog, w, reason);
    if (verb == u"yes" || verb == u"no" || verb == u"file") {
        reason = u"\"" + verb + u"\" answers a message box, menu or file dialog, and none is open";
        return false;
    }
    reason = u"unknown action \"" + w[0].text + u"\"; type help for the actions of this dialog";
    return false;
}

namespace {
// Actions that only print the dialog change nothing worth reporting.
bool isLookAction(std::u16string_view line)
{
    std::vector<Word> w;
    std::u16string reason;
    return splitWords(line, w, reason) && !w.empty() && !w[0].quoted && (w[0].text == u"show" || w[0].text == u"help");
}
}  // namespace

void ConsoleFrontEnd::runModal(QxUiDialogModel& dialog)
{
    qx::startFreshLine();
    qx::print(renderDialog(dialog));
    if (!qx::inputIsScript()) qx::print(renderDialogHelp(dialog) + renderMenus(dialog));
    DialogViews compared;
    while (!dialog.ended) {
        std::u16string line;
        if (!readLine(u"Dialog action: ", line)) {
            qx::failInput(u"the input ended while the dialog \"" + dialog.caption + u"\" was open");
            dialog.ended = true;
            dialog.result = IDCANCEL;
            break;
        }
        unsigned long runsBefore = modalRunsEnded();
        // Changes are looked for in every row, though only a screenful of them is printed.
        const bool bLook = isLookAction(line);
        const std::vector<ControlView> before = bLook ? std::vector<ControlView>() : compared.beforeAction(dialog);
        std::u16string reason;
        const bool bDone = runDialogAction(dialog, line, reason);
        compared.forget(dialog);
        if (!bDone) {
            qx::failInput(reason);
            continue;
        }
        if (dialog.ended) continue;  // the page that opens next prints itself
        // Another dialog came and went: show this one again, as a window would reappear.
        if (modalRunsEnded() != runsBefore && dialog.visible) {
            qx::startFreshLine();
            qx::print(renderDialog(dialog));
        }
        else if (!bLook) {
            qx::startFreshLine();
            qx::print(describeChanges(before, compared.afterAction(dialog)));
        }
    }
}

void ConsoleFrontEnd::dialogHidden(QxUiDialogModel& dialog)
{
    qx::startFreshLine();
    qx::printLine(u"(dialog \"" + dialog.caption + u"\" hidden: answer on the command line)");
}

void ConsoleFrontEnd::dialogShown(QxUiDialogModel& dialog)
{
    qx::startFreshLine();
    qx::print(renderDialog(dialog));
}

int ConsoleFrontEnd::messageBox(std::u16string_view text, std::u16string_view caption, std::uint32_t flags)
{
    std::vector<std::pair<std::u16string, int>> answers;
    switch (flags & QxUiMsg::ButtonMask) {
    case QxUiMsg::OkCancel: answers = {{u"ok", IDOK}, {u"cancel", IDCANCEL}}; break;
    case QxUiMsg::YesNoCancel: answers = {{u"yes", IDYES}, {u"no", IDNO}, {u"cancel", IDCANCEL}}; break;
    case QxUiMsg::YesNo: answers = {{u"yes", IDYES}, {u"no", IDNO}}; break;
    default: answers = {{u"ok", IDOK}}; break;
    }
    std::u16string icon;
    switch (flags & QxUiMsg::IconMask) {
    case QxUiMsg::IconError: icon = u" (error)"; break;
    case QxUiMsg::IconQuestion: icon = u" (question)"; break;
    case QxUiMsg::IconWarning: icon = u" (warning)"; break;
    case QxUiMsg::IconInformation: icon = u" (information)"; break;
    default: break;
    }
    std::u16string choices;
    for (const auto& [word, button] : answers) choices += (choices.empty() ? u"" : u" | ") + word;
    std::u16string shown = u"Message \"" + std::u16string(caption) + u"\"" + icon + u": " + std::u16string(text) +
                           u"\n  answer: " + choices + u"\n";
    qx::startFreshLine();
    qx::print(shown);
    for (;;) {
        std::u16string line;
        if (!readLine(u"Answer: ", line)) {
            qx::failInput(u"the input ended while a message box was open");
            return answers.back().second;
        }
        std::vector<Word> w;
        std::u16string reason;
        if (splitWords(line, w, reason) && w.size() == 1) {
            if (w[0].text == u"show") {
                qx::print(shown);
                continue;
            }
            for (const auto& [word, button] : answers)
                if (sameIgnoringCase(w[0].text, word)) return button;
        }
        qx::failInput(u"the message box takes: " + choices);
    }
}

namespace {

// The filter whose pattern matches the file's extension ("*.xls"), else the first.
int filterForPath(const CQxUiFileDialog& dialog, std::u16string_view path)
{
    auto filters = dialog.GetFilters();
    std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos) return 1;
    std::u16string extension(path.substr(dot));
    for (std::size_t i = 0; i < filters.size(); ++i) {
        const std::u16string& pattern = filters[i].second;
        std::size_t start = 0;
        while (start <= pattern.size()) {
            std::size_t end = pattern.find(u';', start);
            if (end == std::u16string::npos) end = pattern.size();
            std::u16string one = pattern.substr(start, end - start);
            if (one.size() > 1 && one[0] == u'*' && sameIgnoringCase(one.substr(1), extension)) return int(i) + 1;
            start = end + 1;
        }
    }
    return 1;
}

}  // namespace

bool ConsoleFrontEnd::fileDialog(CQxUiFileDialog& dialog)
{
    std::u16string shown = dialog.IsOpenDialog() ? u"Open file" : u"Save file";
    auto filters = dialog.GetFilters();
    if (!filters.empty()) {
        shown += u", types:";
        for (std::size_t i = 0; i < filters.size(); ++i) shown += u" " + number(int(i) + 1) + u" \"" + filters[i].first + u"\"";
    }
    if (!dialog.GetInitialName().empty()) shown += u", name \"" + dialog.GetInitialName() + u"\"";
    if (dialog.GetFlags() & QxUiFile::FileMustExist) shown += u", the file must exist";
    shown += u"\n  answer: file \"<path>\" [<type>] | cancel\n";
    qx::startFreshLine();
    qx::print(shown);
    for (;;) {
        std::u16string line;
        if (!readLine(u"File: ", line)) {
            qx::failInput(u"the input ended while a file dialog was open");
            return false;
        }
        std::vector<Word> w;
        std::u16string reason;
        if (!splitWords(line, w, reason)) {
            qx::failInput(reason);
            continue;
        }
        if (w.size() == 1 && w[0].text == u"cancel") return false;
        if (w.size() == 1 && w[0].text == u"show") {
            qx::print(shown);
            continue;
        }
        if (w.empty() || w[0].text != u"file" || w.size() < 2 || w.size() > 3) {
            qx::failInput(u"the file dialog takes: file \"<path>\" [<type>] | cancel");
            continue;
        }
        int filter = filterForPath(dialog, w[1].text);
        if (w.size() == 3) {
            auto chosen = asNumber(w[2]);
            if (!chosen) {
                qx::failInput(u"the file type is a number");
                continue;
            }
            filter = *chosen;
        }
        if (dialog.Choose(w[1].text, filter, reason)) return true;
        qx::failInput(reason);
    }
}

int ConsoleFrontEnd::popupMenu(const CQxUiMenu& menu, QxUiPoint, QxUiDialogModel*)
{
    MenuRequest& request = menuRequest();
    if (request.mode == MenuRequest::Mode::Probe) {
        request.opened = true;
        for (const auto& entry : menu.Entries())
            if (!(entry.flags & (QxUiMenuFlag::Separator | QxUiMenuFlag::Disabled)))
                request.entries.push_back(withoutAccelerator(entry.text));
        return 0;
    }
    if (request.mode == MenuRequest::Mode::Answer) {
        const std::u16string answer = std::move(request.answer);
        request = MenuRequest{};
        for (const auto& entry : menu.Entries())
            if (!(entry.flags & (QxUiMenuFlag::Separator | QxUiMenuFlag::Disabled)) && withoutAccelerator(entry.text) == answer)
                return entry.id;
        return 0;
    }
    std::u16string shown = u"Menu:\n";
    std::vector<const CQxUiMenu::Entry*> entries;
    for (const auto& entry : menu.Entries()) {
        if (entry.flags & QxUiMenuFlag::Separator) {
            shown += u"  ----\n";
            continue;
        }
        entries.push_back(&entry);
        shown += std::u16string(u"  ") + ((entry.flags & QxUiMenuFlag::Checked) ? u"[x] " : u"    ") + u"\"" + withoutAccelerator(entry.text) +
                 u"\"" + ((entry.flags & QxUiMenuFlag::Disabled) ? u" (disabled)" : u"") + u"\n";
    }
    shown += u"  answer: choose \"<entry>\" | cancel\n";
    qx::startFreshLine();
    qx::print(shown);
    for (;;) {
        std::u16string line;
        if (!readLine(u"Menu choice: ", line)) {
            qx::failInput(u"the input ended while a menu was open");
            return 0;
        }
        std::vector<Word> w;
        std::u16string reason;
        if (!splitWords(line, w, reason)) {
            qx::failInput(reason);
            continue;
        }
        if (w.size() == 1 && w[0].text == u"cancel") return 0;
        if (w.size() == 1 && w[0].text == u"show") {
            qx::print(shown);
            continue;
        }
        if (w.size() != 2 || w[0].text != u"choose") {
            qx::failInput(u"the menu takes: choose \"<entry>\" | cancel");
            continue;
        }
        int found = findByText(entries, w[1].text, [](const CQxUiMenu::Entry* e, int) { return withoutAccelerator(e->text); });
        if (found < 0) {
            qx::failInput(u"the menu has no entry \"" + w[1].text + u"\"");
            continue;
        }
        if (entries[std::size_t(found)]->flags & QxUiMenuFlag::Disabled) {
            qx::failInput(u"the entry \"" + w[1].text + u"\" is disabled");
            continue;
        }
        return entries[std::size_t(found)]->id;
    }
}

}  // namespace qxui
