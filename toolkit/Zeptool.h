// The project toolkit's command table. Each command is one entry: name, usage line,
// summary and a function; later commands (info, pack, unpack, archive-list, ...) add an
// entry in Zeptool.cpp and a function in their own file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace runtime {
struct DebugFrame;
}

namespace toolkit {

// Arguments after the command name. Output goes to `out`; messages to `err` as one line
// each, prefixed "zeptool: ". Returns the process exit code: 0 success, 1 failure of the
// operation (bad input, unreadable file), 2 wrong usage.
using CommandFn = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct Command {
    const char* name;
    const char* usage;    // arguments, e.g. "FILE [--offset N]"
    const char* summary;  // one line for the help text
    CommandFn run;
};

const std::vector<Command>& commands();

// Runs `argv[1..]`: looks the command up and runs it; prints the help for "help", no
// arguments, or an unknown command.
int runZeptool(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

// Commands.
int form2text(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int text2form(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int projectInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int unpackProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int packProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int appendCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int archiveList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int archiveExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int regExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int regImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// Starts the player on a project with the debugger link and prints what it reports; the
// player's exit code is the command's.
int debugProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
inline constexpr const char* kDebugUsage = "P.zep [--player PATH] [--expand TEXT]... [-- PLAYER-ARGS]";

// One message of the debugger link in readable form (one line), and a text in it quoted
// with its control characters escaped.
std::string describeDebugFrame(const runtime::DebugFrame& frame);
std::string quoteDebugText(const std::string& ansi);

// A byte offset, decimal or 0x hexadecimal.
bool parseOffset(const std::string& text, size_t& value);

// Shared helpers: whole-file reads and writes (throw base::Error with the reason).
std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);

}  // namespace toolkit
