#include "RunProgram.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <cstdlib>
#include <sys/wait.h>

namespace testsupport
{

namespace
{

std::string Quote(const std::string &s)
{
    std::string q = "'";
    for (const char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

RunResult RunProgram(const std::filesystem::path &dir, const std::string &program,
                     const std::vector<std::string> &args, const std::string &prelude)
{
    const TempDir capture("lumivex-run");
    const auto out = capture.Path() / "out";
    const auto err = capture.Path() / "err";
    std::string command = "cd " + Quote(dir.string()) + " && ";
    if (!prelude.empty())
        command += prelude + "; ";
    // exec: a signal that kills the program shows as such, not as the shell's 128 + n.
    command += "exec " + Quote(program);
    for (const auto &a : args)
        command += " " + Quote(a);
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int status = std::system(command.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    return r;
}

} // namespace testsupport
