// Where convert and optimize write, and what they refuse to write over:
// one set of rules for both.
#pragma once

#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace cli {

// --format: a frame format (0, 1, 4 or 5) into format, or what is wrong.
std::optional<std::string> TakeFrameFormat(const std::string &value, std::optional<std::uint8_t> &format);

// --output-dir must name a folder before anything is written into it;
// parents makes it. What is wrong, as a sentence, or nothing.
std::optional<std::string> PrepareOutputDir(const std::optional<std::string> &dir, bool parents);

// The key of an output among those written in this run: two inputs of the
// same name (a.dat, a.txt) would end in one output, and the second must not
// silently replace the first, even with --force.
std::string OutputKey(const std::string &output);

// Why output must not be written for input (it is the input, was written
// in this run, or exists without force); nothing when it may be.
std::optional<std::string> OutputProblem(const std::string &input, const std::string &output, bool force,
                                         const std::set<std::string> &written);

// What the saving stream does with a file already there: kept unless force,
// even against another process that makes it meanwhile.
rtl::TSaveFileStream::TExisting ExistingRule(const std::string &output, bool force);

// The saving stream's "Cannot create file OUT" with the reason the system
// gives for output (read-only, a folder, no permission), when it names none.
std::string CreateFailureText(const rtl::EFCreateError &error, const std::string &output);

// Said after "OUT already exists" when --force would replace it.
constexpr const char *kUseForce = "; use --force to replace it.";

} // namespace cli
