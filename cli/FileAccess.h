// Reading the command line's input files.
#pragma once

#include "lumivex/PointFile.h"
#include "rtl/Classes.h"
#include "rtl/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace cli {

// "Can't open file NAME." — the window's text for a file it cannot open.
std::string CantOpenMessage(const std::string &fileName);

// "Cannot open NAME: REASON" (the reason from the system, "is a directory"
// for a folder): what the ilda command says of an input it cannot open.
std::string CannotOpenMessage(const std::string &fileName);

// Input that is not a regular file is read into memory, up to this much:
// a pipe cannot go back, and an endless device must still end.
constexpr std::size_t kMaxStreamedInput = std::size_t{256} << 20;

// "-" names standard input.
inline bool IsStandardInput(const std::string &fileName)
{
    return fileName == "-";
}

// A descriptor to read fileName from, front to back; standard input for
// "-". -1 when it cannot be opened or is a folder.
int OpenInputDescriptor(const std::string &fileName);

// A point file from a pipe or a device longer than this is refused once
// this much is read: decoding uses its first 4066 bytes only.
constexpr std::size_t kMaxStreamedPointFile = std::size_t{1} << 20;

// fileName as a stream a reader may move about in: a regular file as it
// stands; a pipe, a terminal, a device or standard input read into memory
// first, up to kMaxStreamedInput bytes when its first bytes are an ILDA
// file's or a drawing's, else up to kMaxStreamedPointFile (so an endless
// device ends at once). The failure is the sentence to show.
rtl::Result<std::unique_ptr<rtl::TStream>> OpenSource(const std::string &fileName);

// OpenSource without the reason: null when it fails.
std::unique_ptr<rtl::TStream> OpenSeekableInput(const std::string &fileName);

// Reads the head of fileName and decodes it; nothing when the file cannot be
// opened or read (a folder, a missing file, no permission), or is a pipe or
// a device that gives more than kMaxStreamedPointFile bytes.
std::optional<lumivex::PointFile> ReadPointFile(const std::string &fileName);

// Opens fileName, standard input for "-", for reading front to back as it
// comes: a pipe stays a pipe (it tells no position, and going back raises).
// Null when it cannot be opened (a folder, a missing file, no permission).
std::unique_ptr<rtl::TStream> OpenInput(const std::string &fileName);

// The name without its folder, as the window keeps it.
std::string BareName(const std::string &fileName);

// True when both names lead to the same existing file; a of "-" is
// standard input, whatever file it was opened from.
bool SameFile(const std::string &a, const std::string &b);

bool Exists(const std::string &fileName);

// True when fileName leads to the file this process's standard output is.
bool IsStandardOutput(const std::string &fileName);

// A terminal, another character device or a FIFO: writing to it replaces
// no file.
bool IsStreamDevice(const std::string &fileName);

} // namespace cli
