// lumivex: the viewer's point-file reading, hex dump and ILDA export
// without the window.
#include "Commands.h"
#include "Help.h"

#include "rtl/SysUtils.h"
#include "startup/Startup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

int UsageError(const std::string &problem)
{
    return startup::UsageError("lumivex", problem);
}

int OutputFailed(int error)
{
    std::fprintf(stderr, "lumivex: %s\n", rtl::CannotWriteText("standard output", error != 0 ? error : EIO).c_str());
    return kExitFailed;
}

} // namespace cli

int main(int argc, char **argv)
{
    startup::Begin();

    if (argc < 2)
        return cli::UsageError("no command given");
    const std::string command = argv[1];
    const cli::Args args(argv + 2, argv + argc);

    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(cli::Usage(), stdout);
        return cli::kExitOk;
    }
    if (command == "--version") {
        std::printf("lumivex %s\n", LUMIVEX_VERSION);
        return cli::kExitOk;
    }
    if (!cli::CommandUsage(command).empty() && cli::AsksForHelp(args))
        return cli::PrintCommandUsage(command);
    if (command == "hexdump")
        return cli::RunHexdump(args);
    if (command == "list")
        return cli::RunList(args);
    if (command == "info")
        return cli::RunInfo(args);
    if (command == "convert")
        return cli::RunConvert(args);
    if (command == "ilda")
        return cli::RunIlda(args);
    if (command == "optimize")
        return cli::RunOptimize(args);
    if (command == "dacs")
        return cli::RunDacs(args);
    if (command == "play")
        return cli::RunPlay(args);
    if (command == "text")
        return cli::RunText(args);
    if (command == "projector")
        return cli::RunProjector(args);
    if (command == "pattern")
        return cli::RunPattern(args);
    return cli::UsageError("unknown command " + command);
}
