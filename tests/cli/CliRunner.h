// Runs the built `lumivex` in a scratch folder and captures what it says.
#pragma once

#include "FileBytes.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

using Result = testsupport::RunResult;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// A test with its own empty folder, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    // Runs lumivex with args (each passed as one argument) inside Dir().
    // prelude: shell text run first (limits).
    Result Run(const std::vector<std::string> &args, const std::string &prelude = {}) const
    {
        return testsupport::RunProgram(Dir(), LUMIVEX_CLI, args, prelude);
    }
    const std::filesystem::path &Dir() const { return dir_.Path(); }
    std::filesystem::path Put(const std::string &name, const std::vector<std::uint8_t> &bytes) const
    {
        const auto file = Dir() / name;
        std::filesystem::create_directories(file.parent_path());
        WriteBytes(file, bytes);
        return file;
    }

private:
    testsupport::TempDir dir_{"lumivex-cli"};
};

} // namespace clitest
