// Built without the window: there are no window figures to take.
#include "Figures.h"

#include <iostream>

namespace bench {

bool ViewerFigures(bool, const TempDir &)
{
    std::cerr << "lumivex-bench: built without the window; no viewer figures\n";
    return true;
}

int RunViewerChild(const std::string &, const std::string &, int, char **)
{
    return 1;
}

bool PlayerFigures(bool, const TempDir &)
{
    std::cerr << "lumivex-bench: built without the player; no player figures\n";
    return true;
}

int RunPlayerChild(const std::string &, bool, int, char **)
{
    return 1;
}

int RunPlayerIndexChild(const std::string &, const std::string &, int, char **)
{
    return 1;
}

} // namespace bench
