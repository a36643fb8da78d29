// ilda: what the ILDA reader makes of a file, as text or JSON.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "Json.h"

#include "ilda/IldaObj.h"
#include "rtl/Messages.h"
#include "rtl/SysUtils.h"

#include <cerrno>
#include <charconv>
#include <cstdio>

namespace cli {

namespace {

// Collects output and hands it to stdout in large pieces: a big file has
// millions of points.
class Output {
public:
    ~Output() { Flush(); }
    Output &operator<<(std::string_view text)
    {
        buffer_ += text;
        if (buffer_.size() >= kChunk)
            Flush();
        return *this;
    }
    Output &operator<<(long long value)
    {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
    }
    bool Flush()
    {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
            failed_ = true;
        buffer_.clear();
        return !failed_ && std::fflush(stdout) == 0;
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    std::string buffer_;
    bool failed_ = false;
};

std::string hexColor(std::uint32_t color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", color);
    return text;
}

void writePlain(const TIldaFile &file, Output &out)
{
    for (int f = 0; f < file.Count(); ++f) {
        const TFrm &frame = *file.GetFrame(f);
        out << frame.Name.Str() << ": " << frame.Count() << (frame.Count() == 1 ? " point\n" : " points\n");
        for (const Tpt &point : frame.Points()) {
            const TPtRec &p = point.Data;
            out << "  " << p.X << " " << p.Y << " " << p.Z << "  status " << p.Status << "  index "
                << p.ColorIndex << "  color " << hexColor(p.Color) << "\n";
        }
    }
}

void writeJson(const TIldaFile &file, const std::vector<std::string> &messages, Output &out)
{
    out << "{\"frames\": [";
    for (int f = 0; f < file.Count(); ++f) {
        const TFrm &frame = *file.GetFrame(f);
        out << (f ? ", " : "") << "{\"name\": " << JsonString(frame.Name.Str()) << ", \"points\": [";
        bool first = true;
        for (const Tpt &point : frame.Points()) {
            const TPtRec &p = point.Data;
            out << (first ? "[" : ", [") << p.X << ", " << p.Y << ", " << p.Z << ", " << p.Status << ", "
                << p.ColorIndex << ", " << static_cast<long long>(p.Color) << "]";
            first = false;
        }
        out << "]}";
    }
    out << "], \"messages\": [";
    for (std::size_t i = 0; i < messages.size(); ++i)
        out << (i ? ", " : "") << JsonString(messages[i]);
    out << "]}\n";
}

} // namespace

int RunIlda(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {{"--json"}});
    if (const std::string problem = OneFileProblem(parsed, "ilda"); !problem.empty())
        return UsageError(problem);
    const std::string &name = parsed.files[0];
    const bool json = !parsed.options.empty();

    const auto stream = OpenInput(name);
    if (!stream) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(name).c_str());
        return kExitFailed;
    }
    TIldaFile file;
    std::vector<std::string> messages;
    {
        rtl::MessageRecorder recorder;
        try {
            file.LoadFromStream(*stream);
        } catch (const rtl::Exception &error) {
            // The reader keeps the frames it completed; show them with the reason it stopped.
            rtl::ShowMessage(error.Message());
        }
        messages = recorder.Messages();
    }

    Output out;
    if (json) {
        writeJson(file, messages, out);
    } else {
        writePlain(file, out);
        for (const std::string &message : messages)
            std::fprintf(stderr, "%s\n", message.c_str());
    }
    if (!out.Flush())
        return OutputFailed(errno);
    return messages.empty() ? kExitOk : kExitFailed;
}

} // namespace cli
