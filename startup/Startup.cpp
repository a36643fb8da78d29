#include "startup/Startup.h"

#include "rtl/Messages.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string_view>

namespace startup {

void Begin()
{
    std::signal(SIGXFSZ, SIG_IGN);
    rtl::SetMessageHandler([](const std::string &text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    });
}

int UsageError(const std::string &program, const std::string &problem)
{
    std::fprintf(stderr, "%s: %s; try '%s --help'.\n", program.c_str(), problem.c_str(), program.c_str());
    return kExitUsage;
}

bool IsToolkitOption(const std::string &word)
{
    // QGuiApplication's and QApplication's own options, one dash.
    static constexpr std::string_view kOptions[] = {
        "-platform",
        "-platformpluginpath",
        "-platformtheme",
        "-plugin",
        "-qwindowgeometry",
        "-qwindowicon",
        "-qwindowtitle",
        "-reverse",
        "-session",
        "-display",
        "-name",
        "-title",
        "-geometry",
        "-icon",
        "-style",
        "-stylesheet",
        "-widgetcount",
        "-qmljsdebugger",
        "-nograb",
        "-dograb",
        "-visual",
        "-ncols",
        "-cmap",
        "-background",
        "-foreground",
        "-bg",
        "-fg",
        "-btn",
        "-button",
        "-font",
        "-fn",
        "-im",
        "-inputstyle",
        "-testability",
    };
    return std::find(std::begin(kOptions), std::end(kOptions), word) != std::end(kOptions);
}

} // namespace startup
