#include "ConvertPipeline.h"

#include "ConvertSources.h"
#include "FileAccess.h"
#include "OutputFiles.h"

#include "frames/Palette.h"
#include "frames/Repair.h"
#include "ilda/Writing.h"
#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"
#include "scan/Prepare.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>

namespace cli {

namespace {

constexpr std::size_t kMostPoints = 65535;

// A refusal that stops the whole output before it replaces anything.
struct Refusal {
    std::string text;
};

std::vector<ilda::Color> PaletteColors(const ilda::Palette *palette)
{
    if (!palette)
        return {ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end()};
    return palette->colors;
}

// The frames of every input with the stages applied, in three walks:
// shapes (which frames, how many), a look at every point when --fit or the
// palette needs one, and the writing.
class Pipeline : private FrameVisitor {
public:
    Pipeline(const ConvertOptions &options) : options_(options), map_(frames::BuildAffine(options.transform)) {}

    void Plan(std::vector<std::unique_ptr<Source>> &sources)
    {
        std::size_t index = 0, selected = 0;
        for (auto &source : sources) {
            const auto shapes = source->Shapes();
            totals_.push_back(shapes.size());
            for (const FrameShape &shape : shapes) {
                if (options_.frameList.Contains(index++)) {
                    ++selected;
                    if (shape.points > 0) {
                        ++total_;
                        if (ColorRoute(shape.format, options_.colorGiven))
                            lookAtColors_ = true;
                    }
                }
            }
        }
        if (selected == 0)
            throw Refusal{"--frames selects none of the " + std::to_string(index) + " frames"};
        if (total_ == 0)
            throw Refusal{"no frame with points to write"};
        if (total_ > 65535)
            throw Refusal{"an ILDA file holds at most 65535 frames; these inputs give " + std::to_string(total_)};
        lookAtColors_ = lookAtColors_ && options_.palette != PaletteChoice::Default;
        if (!lookAtColors_)
            target_ = PaletteColors(nullptr);
    }

    void Look(std::vector<std::unique_ptr<Source>> &sources)
    {
        if (!options_.fit && !lookAtColors_)
            return;
        walk_ = Walk::Look;
        Visit(sources);
        if (options_.fit)
            map_ = map_.Then(frames::FitAffine(extent_, options_.margin));
        if (lookAtColors_) {
            target_ = options_.palette ? colors_.Build() : colors_.BuildOrDefault();
        }
    }

    // Writes every frame; the counts of repairs go per input to report.
    void Write(std::vector<std::unique_ptr<Source>> &sources, ilda::StreamWriter &writer)
    {
        palettes_.emplace(writer);
        writer_ = &writer;
        walk_ = Walk::Write;
        counts_.assign(sources.size(), {});
        Visit(sources);
        writer.AddEndMarker(frames::EndMarker(total_));
        for (std::size_t i = 0; i < sources.size(); ++i)
            counts_[i].endMarker = sources[i]->MissingEndMarker();
        if (inside_ == 0 && (options_.transformGiven || options_.fit))
            throw Refusal{"the transform leaves no point inside -32768 to 32767"};
    }

    const frames::RepairCounts &Counts(std::size_t input) const { return counts_[input]; }
    std::size_t Written() const { return number_; }

private:
    enum class Walk { Look, Write };

    // Indexed output whose colours are matched to a palette (rather than
    // the frame's own indices kept under its own palette).
    bool ColorRoute(std::uint8_t sourceFormat, bool recolored) const
    {
        const std::uint8_t out = options_.format.value_or(sourceFormat);
        if (!ilda::IsIndexed(out))
            return false;
        // A projector's calibration changes colours, so indices are found again.
        return !ilda::IsIndexed(sourceFormat) || recolored || options_.palette.has_value() || options_.projector;
    }

    void Visit(std::vector<std::unique_ptr<Source>> &sources)
    {
        index_ = 0;
        number_ = 0;
        for (input_ = 0; input_ < sources.size(); ++input_) {
            inputFrame_ = 0;
            sources[input_]->Each(*this);
        }
    }

    void OnFrame(const SourceFrame &frame) override
    {
        const std::size_t inputFrame = inputFrame_++;
        if (!options_.frameList.Contains(index_++))
            return;
        frames::RepairCounts scratch;
        frames::RepairCounts &counts = walk_ == Walk::Write ? counts_[input_] : scratch;
        if (frame.points.empty()) {
            ++counts.emptyFrames;
            return;
        }
        const std::uint8_t sourceFormat = frame.header.format;
        const bool indexedSource = ilda::IsIndexed(sourceFormat);
        const bool recolor = options_.colorGiven && !frame.colored;
        points_.assign(frame.points.begin(), frame.points.end());

        // Colours as the source means them: indices mended, --color applied.
        std::vector<ilda::Color> sourcePalette;
        if (indexedSource) {
            sourcePalette = PaletteColors(frame.palette);
            const std::size_t tabled = frame.table ? frame.table->colors.size() : 0;
            frames::RepairIndices(std::span(points_).subspan(std::min(tabled, points_.size())), sourcePalette, counts);
        }
        if (recolor)
            for (ilda::Point &p : points_)
                if (!p.Blanked())
                    p.color = options_.color;

        if (walk_ == Walk::Look) {
            if (options_.fit)
                extent_.Add(points_, map_);
            if (lookAtColors_ && ColorRoute(sourceFormat, recolor))
                for (const ilda::Point &p : points_)
                    if (!p.Blanked())
                        colors_.Add(p.color);
            return;
        }

        // Where the points go.
        if (!map_.Identity()) {
            const frames::ClipCount clip = frames::MapAndClip(points_, map_, moved_);
            counts.clipped += clip.outside;
            inside_ += clip.inside;
            points_.swap(moved_);
        } else {
            inside_ += points_.size();
        }
        if (options_.profile)
            points_ = scan::PrepareFrame(points_, *options_.profile);
        else if (options_.projector)
            points_ = options_.projector->Apply(points_);
        if (points_.size() > kMostPoints)
            throw Refusal{"frame " + std::to_string(inputFrame) + " would have " + std::to_string(points_.size()) +
                          " points; an ILDA frame holds at most 65535"};

        // Colours as the output format carries them.
        const std::uint8_t format = options_.format.value_or(sourceFormat);
        if (ilda::IsIndexed(format)) {
            if (ColorRoute(sourceFormat, recolor)) {
                palettes_->Use(target_);
                palettes_->Match(points_, counts);
            } else {
                bool changed = false;
                const auto colors = frames::ConformPalette(std::move(sourcePalette), changed);
                if (changed && frame.palette != lastPalette_)
                    ++counts.paletteSize;
                if (frame.palette && frame.palette->header.ReservedSet() && frame.palette != lastPalette_)
                    ++counts.reservedHeader;
                lastPalette_ = frame.palette;
                palettes_->Use(colors);
                if (frame.table) {
                    ++counts.tables;
                    const std::size_t n = std::min(frame.table->colors.size(), points_.size());
                    palettes_->Match(std::span(points_).first(n), counts);
                }
                frames::RepairIndices(points_, colors, counts);
            }
        } else if (indexedSource) {
            for (ilda::Point &p : points_)
                if (p.Blanked())
                    p.color = 0;
        }
        frames::RepairStatus(points_, counts);

        ilda::Header header = frame.header;
        if (header.ReservedSet())
            ++counts.reservedHeader;
        frames::NumberFrame(header, {inputFrame, totals_[input_]}, {number_++, total_}, counts);
        header.reserved = {};
        header.reservedLast = 0;
        header.format = format;
        writer_->AddFrame(header, points_);
    }

    const ConvertOptions &options_;
    frames::Affine map_;
    std::vector<std::size_t> totals_; // frames of each input
    std::size_t total_ = 0;           // frames written
    bool lookAtColors_ = false;
    frames::Extent extent_;
    frames::PaletteBuilder colors_;
    std::vector<ilda::Color> target_; // the palette that colour-matched frames use
    std::optional<frames::PaletteWriter> palettes_;
    const ilda::Palette *lastPalette_ = nullptr;

    Walk walk_ = Walk::Look;
    ilda::StreamWriter *writer_ = nullptr;
    std::vector<frames::RepairCounts> counts_;
    std::size_t input_ = 0, inputFrame_ = 0, index_ = 0, number_ = 0, inside_ = 0;
    std::vector<ilda::Point> points_, moved_;
};

} // namespace

bool RunPipeline(std::vector<PipelineInput> inputs, const std::string &output, const ConvertOptions &options,
                 std::set<std::string> &written)
{
    const std::string shownInputs = inputs.size() == 1 ? inputs[0].name : std::to_string(inputs.size()) + " files";
    for (const PipelineInput &input : inputs) {
        if (const auto problem = OutputProblem(input.name, output, options.force, written)) {
            std::fprintf(stderr, "%s: %s\n", input.name.c_str(), problem->c_str());
            return false;
        }
    }
    std::vector<std::unique_ptr<Source>> sources;
    for (PipelineInput &input : inputs) {
        std::string problem;
        sources.push_back(MakeSource(input, options, problem));
        if (!sources.back()) {
            std::fprintf(stderr, "%s: %s; not converted.\n", input.name.c_str(), problem.c_str());
            return false;
        }
    }
    const std::string target = output == "-" ? "/dev/stdout" : output;
    const std::string shown = output == "-" ? "standard output" : output;
    const bool toStdout = IsStandardOutput(target);
    Pipeline pipeline(options);
    try {
        pipeline.Plan(sources);
        pipeline.Look(sources);
        rtl::TSaveFileStream stream(target, shown, ExistingRule(output, options.force));
        ilda::StreamWriter writer(stream);
        pipeline.Write(sources, writer);
        stream.Commit();
    } catch (const Refusal &refusal) {
        std::fprintf(stderr, "%s: %s; nothing written.\n", shownInputs.c_str(), refusal.text.c_str());
        return false;
    } catch (const rtl::EFileExistsError &error) {
        std::fprintf(stderr, "%s: %s%s\n", shownInputs.c_str(), error.what(), kUseForce);
        return false;
    } catch (const rtl::EFCreateError &error) {
        std::fprintf(stderr, "%s: %s\n", shownInputs.c_str(), CreateFailureText(error, output).c_str());
        return false;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s\n", shownInputs.c_str(), error.what());
        return false;
    }
    written.insert(OutputKey(output));
    bool complete = true;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (const std::string &error : sources[i]->Errors()) {
            std::fprintf(stderr, "%s: %s\n", inputs[i].name.c_str(), error.c_str());
            complete = false;
        }
        if (!options.quiet)
            for (const std::string &line : frames::RepairLines(pipeline.Counts(i)))
                std::fprintf(stderr, "%s: %s\n", inputs[i].name.c_str(), line.c_str());
    }
    std::fprintf(toStdout ? stderr : stdout, "%s -> %s (%zu %s)%s\n", shownInputs.c_str(), output.c_str(),
                 pipeline.Written(), pipeline.Written() == 1 ? "frame" : "frames",
                 complete ? "" : ", as far as the input goes");
    return complete;
}

} // namespace cli
