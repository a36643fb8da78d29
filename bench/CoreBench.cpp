// Micro-benchmarks of the core: hex-dump lines, point-file decoding, the
// ILDA writer and reader, and the bare decode loop the reader is held to.
#include "Workloads.h"

#include "lumivex/HexDump.h"
#include "lumivex/PointFile.h"
#include "rtl/Classes.h"
#include "rtl/Messages.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_FormatHexLines(benchmark::State &state)
{
    const auto bytes = bench::RandomBytes(static_cast<std::size_t>(state.range(0)));
    std::vector<char> out(lumivex::HexDumpCapacity(bytes.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(lumivex::FormatHexLines(0, bytes, out.data()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FormatHexLines)->Arg(4096)->Arg(1 << 20);

// One line at a time, as the pane asks for the lines it shows.
void BM_FormatHexLine(benchmark::State &state)
{
    const auto bytes = bench::RandomBytes(1 << 16);
    char line[lumivex::kMaxHexLineLength];
    std::uint64_t position = 0;
    for (auto _ : state) {
        const std::size_t at = position % bytes.size();
        benchmark::DoNotOptimize(lumivex::FormatHexLine(position, {bytes.data() + at, 16}, line));
        position += 16;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 16);
}
BENCHMARK(BM_FormatHexLine);

void BM_DecodePointFile(benchmark::State &state)
{
    const auto bytes = bench::PointFileBytes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        lumivex::PointFile file = lumivex::DecodePointFile(bytes);
        benchmark::DoNotOptimize(file.listing.data());
    }
}
BENCHMARK(BM_DecodePointFile)->Arg(10)->Arg(2000);

void BM_IldaWrite(benchmark::State &state)
{
    const int frames = static_cast<int>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    const auto file = bench::MakeIldaFile(frames, points);
    for (auto _ : state) {
        rtl::TMemoryStream stream;
        file->SaveToStream(stream);
        benchmark::DoNotOptimize(stream.Bytes().data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * frames * points);
}
BENCHMARK(BM_IldaWrite)->Args({200, 1000})->Unit(benchmark::kMillisecond);

std::vector<std::uint8_t> ildaImage(int frames, int points)
{
    rtl::TMemoryStream stream;
    bench::MakeIldaFile(frames, points)->SaveToStream(stream);
    return stream.Bytes();
}

void BM_IldaRead(benchmark::State &state)
{
    const int frames = static_cast<int>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    const auto image = ildaImage(frames, points);
    rtl::MessageRecorder messages;
    for (auto _ : state) {
        rtl::TMemoryStream stream(image);
        TIldaFile file;
        file.LoadFromStream(stream);
        benchmark::DoNotOptimize(file.Count());
    }
    if (!messages.Messages().empty())
        state.SkipWithError(messages.Messages().front().c_str());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * frames * points);
}
BENCHMARK(BM_IldaRead)->Args({200, 1000})->Unit(benchmark::kMillisecond);

void BM_IldaBareDecode(benchmark::State &state)
{
    const int frames = static_cast<int>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    const auto image = ildaImage(frames, points);
    std::vector<bench::FlatPoint> flat;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::DecodeIldaFlat(image, flat));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * frames * points);
}
BENCHMARK(BM_IldaBareDecode)->Args({200, 1000})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
