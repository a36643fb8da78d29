#include "player/RenderCommand.h"

#include "player/FrameScan.h"
#include "player/Renderer.h"
#include "player/ScannerRenderer.h"

#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace player {

std::string RenderTitle(const std::string &file, std::size_t frame)
{
    return QStringLiteral("%1, frame %2")
        .arg(QFileInfo(QFile::decodeName(file.c_str())).fileName())
        .arg(frame)
        .toStdString();
}

RenderResult RenderFrameToPng(const std::string &file, int frame, int size, const std::string &output,
                              const std::string &profile)
{
    if (const auto problem = CheckReadable(file))
        return {1, *problem};
    if (std::string problem = ReplacesInputProblem(file, output); !problem.empty())
        return {1, std::move(problem)};
    const QString path = QFile::decodeName(output.c_str());
    if (!profile.empty() && PictureKindOf(path) == PictureKind::Svg)
        return {1, "the scanner's view is drawn as a PNG only; not " + output};
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
    const QString problem = WritePicture(path, points, size, {}, QString::fromStdString(RenderTitle(file, frame)));
    if (!problem.isEmpty())
        return {1, problem.toStdString()};
    return {};
}

} // namespace player
