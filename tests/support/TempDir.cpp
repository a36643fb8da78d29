#include "TempDir.h"

#include <stdexcept>
#include <stdlib.h>

namespace testsupport
{

TempDir::TempDir(const std::string &prefix)
{
    // mkdtemp picks a name nobody else holds, even across parallel test runs.
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace testsupport
