// Runs the built `lumivex` in a scratch folder and captures what it says.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path &file);
void WriteBytes(const std::filesystem::path &file, const std::vector<std::uint8_t> &bytes);

// A test with its own empty folder, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs lumivex with args (each passed as one argument) inside Dir().
    Result Run(const std::vector<std::string> &args) const;
    const std::filesystem::path &Dir() const { return dir_; }
    std::filesystem::path Put(const std::string &name, const std::vector<std::uint8_t> &bytes) const;

private:
    std::filesystem::path dir_;
};

} // namespace clitest
