// Whole-file reads and writes for tests. They throw std::runtime_error when
// the file cannot be opened or written, so a missing file fails the test
// instead of reading as empty.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport
{

std::string ReadFile(const std::filesystem::path &file);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path &file);
void WriteFile(const std::filesystem::path &file, std::string_view bytes);
void WriteBytes(const std::filesystem::path &file, const std::vector<std::uint8_t> &bytes);

// The names in a folder, sorted.
std::vector<std::string> Listing(const std::filesystem::path &dir);

} // namespace testsupport
