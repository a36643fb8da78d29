#include "FileBytes.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport
{

std::string ReadFile(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path &file)
{
    const std::string bytes = ReadFile(file);
    return {bytes.begin(), bytes.end()};
}

void WriteFile(const std::filesystem::path &file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void WriteBytes(const std::filesystem::path &file, const std::vector<std::uint8_t> &bytes)
{
    WriteFile(file, std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

std::vector<std::string> Listing(const std::filesystem::path &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
