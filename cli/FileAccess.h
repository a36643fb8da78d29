// Reading the command line's input files.
#pragma once

#include "lumivex/PointFile.h"
#include "rtl/Classes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace cli {

// "Can't open file NAME." — the window's text for a file it cannot open.
std::string CantOpenMessage(const std::string &fileName);

// Reads the head of fileName and decodes it; nothing when the file cannot be
// opened or read (a folder, a missing file, no permission).
std::optional<lumivex::PointFile> ReadPointFile(const std::string &fileName);

// Opens fileName for reading; null when it cannot be opened (a folder, a
// missing file, no permission).
std::unique_ptr<rtl::TStream> OpenInput(const std::string &fileName);

// The name without its folder, as the window keeps it.
std::string BareName(const std::string &fileName);

// True when both names lead to the same existing file.
bool SameFile(const std::string &a, const std::string &b);

bool Exists(const std::string &fileName);

} // namespace cli
