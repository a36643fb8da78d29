// The standard reading of an ILDA file as `lumivex ilda` shows it: the
// listing, the summary or the conformance report, as text or JSON.
#pragma once

#include "Output.h"

#include "ilda/Reading.h"
#include "rtl/Classes.h"

#include <string>

namespace cli {

enum class IldaView {
    Listing, // frames and their points
    Summary, // frames without points, from the headers alone
    Check,   // one line per deviation from the standard
};

struct IldaRequest {
    IldaView view = IldaView::Listing;
    bool json = false;
};

// Reads the file name opened as stream and writes what request asks for;
// returns the exit status for this file.
int ReportIlda(const std::string &name, rtl::TStream &stream, const IldaRequest &request, Output &out);

// The errors of a reading on stderr, FILE: byte N: text, and a line
// counting its deviations from the standard, if any; headersOnly: the
// reading left the points out, and so the checks on them.
void ReportReadingProblems(const std::string &name, const ilda::ReadOutcome &outcome, bool headersOnly = false);

} // namespace cli
