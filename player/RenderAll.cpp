// lumivex-player --render FILE --frame all: every frame into numbered
// pictures, read as the file streams by.
#include "player/RenderCommand.h"

#include "player/FrameScan.h"
#include "player/Renderer.h"

#include "ilda/Reading.h"

#include <QFile>

#include <cstdio>
#include <optional>

namespace player {

namespace {

// The name pattern split round its one number: "frames/%04d.png".
struct NamePattern {
    std::string before, after;
    int width = 0;
    bool zeros = false;

    std::string Name(std::size_t number) const
    {
        std::string digits = std::to_string(number);
        if (digits.size() < static_cast<std::size_t>(width))
            digits.insert(0, width - digits.size(), zeros ? '0' : ' ');
        return before + digits + after;
    }
};

std::optional<NamePattern> ParsePattern(const std::string &text)
{
    NamePattern pattern;
    bool found = false;
    std::string *into = &pattern.before;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *into += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            *into += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zeros = j < text.size() && text[j] == '0';
        int width = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && width < 100)
            width = width * 10 + (text[j++] - '0');
        if (found || j >= text.size() || text[j] != 'd')
            return std::nullopt;
        found = true;
        pattern.zeros = zeros;
        pattern.width = width;
        into = &pattern.after;
        i = j;
    }
    if (!found)
        return std::nullopt;
    return pattern;
}

class Pictures : public ilda::ReadHandler {
public:
    Pictures(const std::string &input, const NamePattern &pattern, int size, std::size_t total, bool progress)
        : input_(input), pattern_(pattern), size_(size), total_(total), progress_(progress)
    {
    }

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        if (!problem_.empty())
            return;
        const std::string name = pattern_.Name(frame.index);
        // Each numbered name is checked as a single output is: one of them
        // may be a link to the file being read.
        if (std::string replaces = ReplacesInputProblem(input_, name); !replaces.empty()) {
            problem_ = std::move(replaces);
            return;
        }
        const QString failed = WritePicture(QFile::decodeName(name.c_str()), points, size_, {},
                                            QString::fromStdString(RenderTitle(input_, frame.index)));
        if (!failed.isEmpty()) {
            problem_ = "Cannot write " + name + ": " + failed.toStdString();
            return;
        }
        ++written_;
        if (progress_)
            std::fprintf(stderr, "\rframe %zu of %zu written", written_, total_);
    }
    void OnError(const ilda::Diagnostic &error) override
    {
        if (problem_.empty())
            readProblem_ = "byte " + std::to_string(error.offset) + ": " + error.text;
    }

    std::string problem_, readProblem_;
    std::size_t written_ = 0;

private:
    std::string input_;
    NamePattern pattern_;
    int size_;
    std::size_t total_;
    bool progress_;
};

} // namespace

RenderResult RenderAllFrames(const std::string &file, int size, const std::string &output, bool progress)
{
    const auto pattern = ParsePattern(output);
    if (!pattern)
        return {1, "--frame all needs -o with one frame number in it, such as frames/%04d.png; not " + output};
    if (const auto problem = CheckReadable(file))
        return {1, *problem};
    try {
        rtl::TFileStream stream(file, rtl::TFileMode::OpenRead);
        ilda::ReadHandler nothing;
        const std::size_t total = ilda::Read(stream, nothing, {.points = false, .keep = 0}).frameCount;
        if (total == 0)
            return {1, file + ": no frame to draw"};
        stream.SetPosition(0);
        Pictures pictures(file, *pattern, size, total, progress);
        ilda::Read(stream, pictures, {.keep = 0});
        if (progress && pictures.written_)
            std::fputc('\n', stderr);
        if (!pictures.problem_.empty())
            return {1, pictures.problem_};
        if (!pictures.readProblem_.empty())
            return {1, file + ": " + pictures.readProblem_ + " (" + std::to_string(pictures.written_) +
                           " frames written)"};
    } catch (const std::exception &error) {
        return {1, error.what()};
    }
    return {};
}

} // namespace player
