// System variables: LUPREC (linear units precision), VERLAN (language tag of the host),
// CMDECHO (echo of commands), with their types, defaults and ranges.
#include "cad/runtime/sysvars.h"

#include <map>
#include <optional>

#include "cad/editor/console.h"
#include "database.h"
#include "editor.h"

namespace qx {

namespace {

struct Variable {
    int type;  // QXRT_SHORT or QXRT_STR
    short number = 0;
    std::u16string text;
    short minimum = 0, maximum = 0;
    bool savedInDrawing = false;  // the value belongs to the working drawing (LUPREC)
};

// A drawing carries its own linear precision: while one is open, LUPREC is its value.
short shortValue(const Variable& v)
{
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    return v.savedInDrawing && db ? static_cast<short>(db->luprec()) : v.number;
}

void storeShort(Variable& v, short value)
{
    v.number = value;
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    if (v.savedInDrawing && db) db->setLuprec(value);
}

std::u16string upper(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return out;
}

std::map<std::u16string, Variable>& variables()
{
    static std::map<std::u16string, Variable> table = {
        {u"LUPREC", {QXRT_SHORT, 4, u"", 0, 8, true}},
        {u"VERLAN", {QXRT_STR, 0, u"en-US", 0, 0}},
        {u"CMDECHO", {QXRT_SHORT, 1, u"", 0, 1}},
    };
    return table;
}

Variable* find(std::u16string_view name)
{
    const auto it = variables().find(upper(name));
    return it == variables().end() ? nullptr : &it->second;
}

std::optional<short> parseShort(std::u16string_view text)
{
    if (text.empty()) return std::nullopt;
    long value = 0;
    std::size_t i = 0;
    const bool negative = text[0] == u'-';
    if (negative || text[0] == u'+') ++i;
    if (i == text.size()) return std::nullopt;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        value = value * 10 + (text[i] - u'0');
        if (value > 32767) return std::nullopt;
    }
    return static_cast<short>(negative ? -value : value);
}

std::u16string decimal(long value)
{
    const std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

}  // namespace

void setStringVariable(std::u16string_view name, std::u16string value)
{
    if (Variable* v = find(name); v && v->type == QXRT_STR) v->text = std::move(value);
}

bool setShortVariable(std::u16string_view name, int value)
{
    Variable* v = find(name);
    if (!v || v->type != QXRT_SHORT || value < v->minimum || value > v->maximum) return false;
    storeShort(*v, static_cast<short>(value));
    return true;
}

bool variableText(std::u16string_view name, std::u16string& text)
{
    const Variable* v = find(name);
    if (!v) return false;
    text = v->type == QXRT_STR ? v->text : decimal(shortValue(*v));
    return true;
}

bool setVariableFromText(std::u16string_view name, std::u16string_view text, std::u16string& reason)
{
    Variable* v = find(name);
    if (!v) {
        reason = u"Unknown variable name: " + std::u16string(name);
        return false;
    }
    if (v->type == QXRT_STR) {
        v->text = text;
        return true;
    }
    const std::optional<short> value = parseShort(text);
    if (!value || !setShortVariable(name, *value)) {
        reason = u"Requires an integer between " + decimal(v->minimum) + u" and " + decimal(v->maximum) + u".";
        return false;
    }
    return true;
}

void registerVariableBuiltins()
{
    registerBuiltin(u"GETVAR", u"GETVAR name: prints a system variable", [](std::u16string_view args) {
        std::u16string text;
        if (!variableText(args, text)) {
            failInput(u"Unknown variable name: " + std::u16string(args));
            return false;
        }
        printLine(upper(args) + u" = " + text);
        return true;
    });
    registerBuiltin(u"SETVAR", u"SETVAR name value: sets a system variable", [](std::u16string_view args) {
        const std::size_t space = args.find(u' ');
        const std::u16string_view name = args.substr(0, space);
        std::u16string_view value = space == std::u16string_view::npos ? u"" : args.substr(space + 1);
        while (!value.empty() && value.front() == u' ') value.remove_prefix(1);
        if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') value = value.substr(1, value.size() - 2);
        std::u16string reason;
        if (name.empty() || !setVariableFromText(name, value, reason)) {
            failInput(name.empty() ? u"SETVAR needs a variable name and a value." : reason);
            return false;
        }
        return true;
    });
}

}  // namespace qx

int qxedGetVar(const char16_t* name, qxresbuf* result)
{
    const qx::Variable* v = qx::find(name ? name : u"");
    if (!v || !result) return QXRT_ERROR;
    result->restype = v->type;
    if (v->type == QXRT_STR) result->resval.rstring = qxutNewString(v->text.c_str());
    else result->resval.rint = qx::shortValue(*v);
    return QXRT_NORM;
}

int qxedSetVar(const char16_t* name, const qxresbuf* value)
{
    qx::Variable* v = qx::find(name ? name : u"");
    if (!v || !value) return QXRT_ERROR;
    if (v->type == QXRT_STR) {
        if (value->restype != QXRT_STR || !value->resval.rstring) return QXRT_ERROR;
        v->text = value->resval.rstring;
        return QXRT_NORM;
    }
    int number = 0;
    if (value->restype == QXRT_SHORT) number = value->resval.rint;
    else if (value->restype == QXRT_LONG) number = value->resval.rlong;
    else return QXRT_ERROR;
    return qx::setShortVariable(name, number) ? QXRT_NORM : QXRT_ERROR;
}
