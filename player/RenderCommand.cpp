#include "player/RenderCommand.h"

#include "player/FrameScan.h"
#include "player/Renderer.h"
#include "player/ScannerRenderer.h"

#include <QFile>

#include <utility>
#include <vector>

namespace player {

RenderResult RenderFrameToPng(const std::string &file, int frame, int size, const std::string &output,
                              const std::string &profile)
{
    if (const auto problem = CheckReadable(file))
        return {1, *problem};
    if (std::string problem = ReplacesInputProblem(file, output); !problem.empty())
        return {1, std::move(problem)};
    std::vector<ilda::Point> points;
    try {
        rtl::TFileStream stream(file, rtl::TFileMode::OpenRead);
        const FoundFrame found = FindFrame(stream, static_cast<std::size_t>(frame));
        if (!found.frame)
            return {1, file + ": " + found.problem};
        points.resize(found.frame->pointCount);
        points.resize(ilda::DecodeFrame(stream, *found.frame, points));
    } catch (const std::exception &error) {
        return {1, error.what()};
    }
    if (!profile.empty()) {
        const auto scanner = scan::FindProfile(profile);
        if (!scanner)
            return {1, "unknown profile " + profile};
        const std::string problem = WriteScannerPng(output, points, size, *scanner);
        if (!problem.empty())
            return {1, problem};
        return {};
    }
    const QString problem = WritePng(QFile::decodeName(output.c_str()), points, size, {});
    if (!problem.isEmpty())
        return {1, problem.toStdString()};
    return {};
}

} // namespace player
