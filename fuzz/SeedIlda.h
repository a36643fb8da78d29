// Seeds for the ILDA and native-image targets, made with our own writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fuzzseeds {

using SeedWriter = std::function<void(const std::filesystem::path &dir, const std::string &name,
                                      const std::vector<std::uint8_t> &bytes)>;

void WriteIldaSeeds(const std::filesystem::path &out, const SeedWriter &write);

} // namespace fuzzseeds
