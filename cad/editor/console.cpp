// The console: command-line output with its transcript, the input stream of commands and
// answers, and the registry of built-in commands.
#include "cad/editor/console.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

#include "cad/dxf/dxf_encoding.h"

namespace qx {

namespace {

struct ConsoleState {
    std::u16string transcript;
    std::istream* in = &std::cin;
    bool interactive = true;
    std::u16string scriptName;
    int lineNumber = 0;
    LineReader reader;
    OutputListener listener;
    ProgressListener progressListener;
};

ConsoleState& state()
{
    static ConsoleState s;
    return s;
}

struct Builtin {
    std::u16string help;
    BuiltinHandler handler;
};

std::map<std::u16string, Builtin>& builtins()
{
    static std::map<std::u16string, Builtin> table;
    return table;
}

std::u16string upper(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return out;
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r'))
        text.remove_suffix(1);
    return text;
}

void writeOut(std::u16string_view text)
{
    const std::string bytes = toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

void print(std::u16string_view text)
{
    state().transcript.append(text);
    writeOut(text);
    if (state().listener) state().listener(text);
}

void setLineReader(LineReader reader) { state().reader = std::move(reader); }
void setOutputListener(OutputListener listener) { state().listener = std::move(listener); }
void setProgressListener(ProgressListener listener) { state().progressListener = std::move(listener); }

void reportProgress(std::u16string_view task, int percent)
{
    printLine(std::u16string(task) + u": " + fromUtf8(std::to_string(percent)) + u"%");
    if (state().progressListener) state().progressListener(task, percent);
}

void printLine(std::u16string_view text)
{
    print(text);
    print(u"\n");
}

const std::u16string& transcript() { return state().transcript; }
void clearTranscript() { state().transcript.clear(); }

void setInput(std::istream& in, bool interactive, std::u16string scriptName)
{
    state().in = &in;
    state().interactive = interactive;
    state().scriptName = std::move(scriptName);
    state().lineNumber = 0;
}

bool inputIsScript() { return !state().interactive; }
bool personAtInput() { return state().interactive || static_cast<bool>(state().reader); }
int currentScriptLine() { return state().lineNumber; }

// Messages start with a line break and end without one, so a prompt or a block of the host's
// own output that follows one must start a line of its own.
void startFreshLine()
{
    const std::u16string& text = state().transcript;
    if (!text.empty() && text.back() != u'\n') print(u"\n");
}

void markTime(std::u16string_view event)
{
    using Clock = std::chrono::steady_clock;
    static const bool enabled = std::getenv("QXCAD_TIMES") != nullptr;
    if (!enabled) return;
    static const Clock::time_point start = Clock::now();
    static Clock::time_point previous = start;
    const Clock::time_point now = Clock::now();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);  // ru_maxrss is in KiB on Linux
    std::string label = toUtf8(event.substr(0, 80));
    for (char& c : label)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "qxcad-time\t%.3f\t%.3f\t%.1f\t%s\n", std::chrono::duration<double>(now - start).count(),
                 std::chrono::duration<double>(now - previous).count(), static_cast<double>(usage.ru_maxrss) / 1024.0,
                 label.c_str());
    previous = now;
}

namespace {

bool readFromReader(std::u16string_view prompt, InputKind kind, std::u16string& line)
{
    ConsoleState& s = state();
    print(prompt);
    // The reader may run a nested event loop in which another reader is set; keep this one.
    const LineReader reader = s.reader;
    std::u16string read;
    do {
        if (!reader(prompt, kind, read)) {
            print(u"\n");
            return false;
        }
        read = std::u16string(trimmed(read));
    } while (read.empty() || read.front() == u';');
    line = std::move(read);
    markTime(u"read: " + line);
    printLine(line);
    return true;
}

}  // namespace

bool readInputLine(std::u16string_view prompt, std::u16string& line, InputKind kind)
{
    ConsoleState& s = state();
    startFreshLine();
    if (s.reader) return readFromReader(prompt, kind, line);
    if (s.interactive) print(prompt);
    std::string raw;
    while (std::getline(*s.in, raw)) {
        ++s.lineNumber;
        const std::u16string decoded = fromUtf8(raw);
        const std::u16string_view content = trimmed(decoded);
        if (content.empty() || content.front() == u';') continue;
        line.assign(content);
        markTime(u"read: " + line);
        // A script's answers are echoed after their prompt so the output reads like a session.
        if (!s.interactive) {
            print(prompt);
            printLine(line);
        }
        return true;
    }
    if (s.interactive) print(u"\n");
    return false;
}

void failInput(std::u16string_view message)
{
    ConsoleState& s = state();
    if (s.interactive) {
        printLine(message);
        return;
    }
    std::u16string where = s.scriptName.empty() ? u"script" : s.scriptName;
    where += u", line " + fromUtf8(std::to_string(s.lineNumber)) + u": ";
    printLine(where + std::u16string(message));
    std::fflush(stdout);
    std::exit(2);
}

void registerBuiltin(std::u16string name, std::u16string help, BuiltinHandler handler)
{
    builtins()[upper(name)] = Builtin{std::move(help), std::move(handler)};
}

const BuiltinHandler* findBuiltin(std::u16string_view name)
{
    const auto it = builtins().find(upper(name));
    return it == builtins().end() ? nullptr : &it->second.handler;
}

std::vector<std::pair<std::u16string, std::u16string>> builtinHelp()
{
    std::vector<std::pair<std::u16string, std::u16string>> out;
    for (const auto& [name, builtin] : builtins()) out.emplace_back(name, builtin.help);
    return out;
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate cannot be written as UTF-8
        }
        qx::dxf::appendUtf8(out, c);
    }
    return out;
}

std::u16string fromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        int length = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
        char32_t c = length == 1 ? b0 : length == 2 ? (b0 & 0x1F) : length == 3 ? (b0 & 0x0F) : (b0 & 0x07);
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            valid = (b & 0xC0) == 0x80;
            c = (c << 6) | (b & 0x3F);
        }
        // Overlong forms and surrogates are not valid UTF-8 either.
        if (valid && ((length == 2 && c < 0x80) || (length == 3 && c < 0x800) || (length == 4 && c < 0x10000) ||
                      c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

}  // namespace qx
