// Dialog templates in their text form (resources/dialogs/<id>.dlg).
#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "cad/editor/console.h"
#include "host/ui.h"

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into words and double-quoted texts. Returns false on an unclosed quote.
bool splitLine(std::string_view line, std::vector<Token>& tokens)
{
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '\\' && i < line.size()) {
                    token.text += line[i++];
                } else if (d == '"') {
                    closed = true;
                    break;
                } else {
                    token.text += d;
                }
            }
            if (!closed) return false;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') token.text += line[i++];
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

bool readInt(const Token& token, int& value)
{
    if (token.quoted) return false;
    const char* end = token.text.data() + token.text.size();
    auto [ptr, ec] = std::from_chars(token.text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool readKind(const std::string& word, QxUiControlKind& kind)
{
    static const std::pair<const char*, QxUiControlKind> kinds[] = {
        {"static", QxUiControlKind::Static},       {"group", QxUiControlKind::GroupBox},
        {"button", QxUiControlKind::PushButton},   {"defbutton", QxUiControlKind::DefPushButton},
        {"checkbox", QxUiControlKind::CheckBox},   {"radio", QxUiControlKind::RadioButton},
        {"edit", QxUiControlKind::Edit},           {"picture", QxUiControlKind::Picture},
        {"listview", QxUiControlKind::ListView},
    };
    for (const auto& [name, value] : kinds)
        if (word == name) {
            kind = value;
            return true;
        }
    return false;
}

bool readStyle(const std::string& word, std::uint32_t& style)
{
    static const std::pair<const char*, std::uint32_t> styles[] = {
        {"disabled", QxUiStyle::Disabled},     {"hidden", QxUiStyle::Hidden},
        {"group", QxUiStyle::Group},           {"tabstop", QxUiStyle::TabStop},
        {"border", QxUiStyle::Border},         {"autohscroll", QxUiStyle::AutoHScroll},
        {"vcenter", QxUiStyle::VCenter},       {"readonly", QxUiStyle::ReadOnly},
        {"report", QxUiStyle::ReportView},     {"list", QxUiStyle::ListMode},
        {"singlesel", QxUiStyle::SingleSelect}, {"showselalways", QxUiStyle::ShowSelAlways},
    };
    for (const auto& [name, value] : styles)
        if (word == name) {
            style |= value;
            return true;
        }
    return false;
}

std::u16string lineError(int lineNumber, std::string_view what)
{
    return u"dialog template line " + qx::fromUtf8(std::to_string(lineNumber)) + u": " + qx::fromUtf8(what);
}

bool parseLine(const std::vector<Token>& t, QxUiDialogTemplate& result, bool& sawDialog, std::string& error)
{
    const std::string& keyword = t[0].text;
    if (keyword == "dialog") {
        if (t.size() != 3 || !readInt(t[1], result.width) || !readInt(t[2], result.height)) {
            error = "expected: dialog <width> <height>";
            return false;
        }
        sawDialog = true;
        return true;
    }
    if (keyword == "font") {
        if (t.size() != 3 || !t[1].quoted || !readInt(t[2], result.fontSize)) {
            error = "expected: font \"<name>\" <size>";
            return false;
        }
        result.fontName = qx::fromUtf8(t[1].text);
        return true;
    }
    if (keyword == "caption") {
        if (t.size() != 2 || !t[1].quoted) {
            error = "expected: caption \"<text>\"";
            return false;
        }
        result.caption = qx::fromUtf8(t[1].text);
        return true;
    }
    if (keyword == "control") {
        QxUiControlTemplate control;
        if (t.size() < 8 || !readInt(t[1], control.id) || !readKind(t[2].text, control.kind) || !t[3].quoted ||
            !readInt(t[4], control.x) || !readInt(t[5], control.y) || !readInt(t[6], control.w) ||
            !readInt(t[7], control.h)) {
            error = "expected: control <id> <kind> \"<text>\" <x> <y> <w> <h> [styles]";
            return false;
        }
        control.text = qx::fromUtf8(t[3].text);
        for (std::size_t i = 8; i < t.size(); ++i)
            if (!readStyle(t[i].text, control.style)) {
                error = "unknown style \"" + t[i].text + "\"";
                return false;
            }
        for (const auto& other : result.controls)
            if (other.id == control.id && control.id != -1) {
                error = "control id " + t[1].text + " used twice";
                return false;
            }
        result.controls.push_back(std::move(control));
        return true;
    }
    error = "unknown keyword \"" + keyword + "\"";
    return false;
}

}  // namespace

bool qxuiParseDialogTemplate(std::string_view text, QxUiDialogTemplate& result, std::u16string& error)
{
    QxUiDialogTemplate parsed;
    bool sawDialog = false;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        std::vector<Token> tokens;
        if (!splitLine(line, tokens)) {
            error = lineError(lineNumber, "unclosed quote");
            return false;
        }
        if (tokens.empty() || (!tokens[0].quoted && tokens[0].text[0] == '#')) continue;
        std::string why;
        if (tokens[0].quoted || !parseLine(tokens, parsed, sawDialog, why)) {
            error = lineError(lineNumber, why.empty() ? "unexpected text" : why);
            return false;
        }
    }
    if (!sawDialog) {
        error = u"dialog template: no \"dialog <width> <height>\" line";
        return false;
    }
    result = std::move(parsed);
    return true;
}

bool qxuiLoadDialogTemplate(std::uint32_t id, QxUiDialogTemplate& result, QxResourceInstance instance,
                            std::u16string* error)
{
    const QxResourceFile* file = qxuiFindResource("dialogs", id, instance);
    if (!file) {
        if (error) *error = u"no dialog template " + qx::fromUtf8(std::to_string(id));
        return false;
    }
    std::u16string why;
    std::string_view text(reinterpret_cast<const char*>(file->data), file->size);
    if (!qxuiParseDialogTemplate(text, result, why)) {
        if (error) *error = why;
        return false;
    }
    return true;
}
