// The scanner options as convert takes them.
#include "ConvertOptions.h"

namespace cli {

bool TakeProfileOption(const std::string &name, const std::string &value, scan::ProfileChoice &choice)
{
    if (name == "--profile")
        choice.name = value;
    else if (name == "--rate")
        choice.rate = value;
    else if (name == "--cutoff")
        choice.cutoff = value;
    else if (name == "--lit-step")
        choice.litStep = value;
    else if (name == "--blank-step")
        choice.blankStep = value;
    else if (name == "--tolerance")
        choice.tolerance = value;
    else
        return false;
    return true;
}

} // namespace cli
