// The host's console: the input stream that carries commands and answers to prompts (standard
// input or a script file), the command line output with its transcript, and the host's
// built-in commands.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qx {

// Output. Everything printed on the command line goes to standard output as UTF-8 and into the
// transcript, which tests read and clear.
void printLine(std::u16string_view text);  // text and a line break
void print(std::u16string_view text);
// Ends the current line when something (a message, which ends without a line break) left it
// open: the host's own lines and blocks start with it.
void startFreshLine();
const std::u16string& transcript();
void clearTranscript();

// What a line of input answers, so that a front end with a drawing view can offer clicks for
// points and objects.
enum class InputKind { Text, Point, Selection, SingleObject };

// Input. `prompt` is printed when the input is interactive; a script echoes the line it
// read after the prompt instead, so a transcript reads like a session. Returns false at end
// of input. Blank lines and lines starting with ';' (comments) are skipped.
bool readInputLine(std::u16string_view prompt, std::u16string& line, InputKind kind = InputKind::Text);

// A front end that reads its own lines (a window's command line) takes over the input: the
// reader waits for one line and returns false when the input ends. The prompt is printed
// before and the line echoed after, as for a script. An empty reader gives the stream back.
using LineReader = std::function<bool(std::u16string_view prompt, InputKind kind, std::u16string& line)>;
void setLineReader(LineReader reader);
// Called with everything printed, for a front end that shows the command line itself.
using OutputListener = std::function<void(std::u16string_view text)>;
void setOutputListener(OutputListener listener);
// Progress of long work (the reading of a large drawing): printed as a line "<task>: N%" and
// handed to the progress listener, through which a front end with a window shows a bar.
void reportProgress(std::u16string_view task, int percent);
using ProgressListener = std::function<void(std::u16string_view task, int percent)>;
void setProgressListener(ProgressListener listener);
// Sets the input: a script (lines numbered from 1) or an interactive stream.
void setInput(std::istream& in, bool interactive, std::u16string scriptName = u"");
bool inputIsScript();
// True when a person answers the prompts: an interactive console or a window's command line.
bool personAtInput();
int currentScriptLine();

// Timing marks, printed only when the environment variable QXCAD_TIMES is set: one line on
// standard error per mark, "qxcad-time<TAB>seconds since start<TAB>seconds since the previous
// mark<TAB>peak memory in MiB so far<TAB>event". The host marks each line it reads (the work
// until the next mark is that line's) and each message printed on the command line, so that a
// script run shows where its time goes without a profiler.
void markTime(std::u16string_view event);

// A line that cannot be carried out. Prints the message; in a script run it names the
// script line and ends the process with exit status 2, so that scripts are reliable tests.
// Interactively it only prints, and the caller asks again.
void failInput(std::u16string_view message);

// Built-in commands of the host (QUIT, SETVAR, LIST, OPEN, ...), looked up before the
// commands that modules register. The handler gets the rest of the line (trimmed) and
// returns false when the line could not be carried out (after printing why).
using BuiltinHandler = std::function<bool(std::u16string_view arguments)>;
void registerBuiltin(std::u16string name, std::u16string help, BuiltinHandler handler);
const BuiltinHandler* findBuiltin(std::u16string_view name);
// Every built-in's name (upper case) and one line of help, by name.
std::vector<std::pair<std::u16string, std::u16string>> builtinHelp();

// Text conversions at the console's edges.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

}  // namespace qx
