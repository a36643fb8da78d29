#include "Workloads.h"

#include "ilda/Writing.h"
#include "rtl/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace bench {

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    std::minstd_rand random(seed);
    for (std::uint8_t &b : bytes)
        b = static_cast<std::uint8_t>(random() >> 7);
    return bytes;
}

std::vector<std::uint8_t> PointFileBytes(int count)
{
    count = std::clamp(count, 0, 2000);
    std::vector<std::uint8_t> bytes(64 + 2 * static_cast<std::size_t>(count + 1));
    bytes[48] = static_cast<std::uint8_t>(count / 255);
    bytes[49] = static_cast<std::uint8_t>(count % 255);
    for (int k = 0; k <= count; ++k) {
        const double a = 2 * 3.14159265358979 * k / (count + 1);
        bytes[64 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(128 + 100 * std::cos(a));
        bytes[64 + static_cast<std::size_t>(count + 1 + k)] = static_cast<std::uint8_t>(128 + 100 * std::sin(3 * a));
    }
    return bytes;
}

std::unique_ptr<TIldaFile> MakeIldaFile(int frames, int points)
{
    auto file = std::make_unique<TIldaFile>();
    for (int f = 0; f < frames; ++f) {
        auto frame = std::make_unique<TFrm>();
        frame->Reserve(static_cast<std::size_t>(points));
        for (int p = 0; p < points; ++p) {
            const auto x = static_cast<std::int32_t>((p * 37 + f * 11) % 65536 - 32768);
            const auto y = static_cast<std::int32_t>((p * 91 + f * 7) % 65536 - 32768);
            const auto index = static_cast<std::uint8_t>(p % 16);
            const std::uint8_t status = p + 1 == points ? 0x80 : 0;
            frame->AddPoint(x, y, 0, PaletteColor(index), status, index);
        }
        file->Add(std::move(frame));
    }
    return file;
}

namespace {
std::int16_t be16(const std::uint8_t *p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] << 8 | p[1]));
}
} // namespace

std::size_t DecodeIldaFlat(const std::vector<std::uint8_t> &bytes, std::vector<FlatPoint> &out)
{
    out.clear();
    out.reserve(bytes.size() / 8);
    std::size_t at = 0;
    while (bytes.size() - at >= 32 && std::memcmp(bytes.data() + at, "ILDA", 4) == 0) {
        const std::uint8_t *header = bytes.data() + at;
        const std::uint8_t format = header[7];
        const std::size_t count = static_cast<std::size_t>(header[24] << 8 | header[25]);
        if (format > 1 || count == 0)
            break;
        at += 32;
        const std::size_t record = format == 0 ? 8 : 6;
        const std::size_t n = std::min(count, (bytes.size() - at) / record);
        const std::uint8_t *in = bytes.data() + at;
        for (std::size_t i = 0; i < n; ++i, in += record) {
            const std::uint8_t *tail = in + record - 2;
            out.push_back({be16(in), be16(in + 2), format == 0 ? be16(in + 4) : std::int16_t{0}, tail[0], tail[1]});
        }
        at += n * record;
        if (n < count)
            break;
    }
    return out.size();
}

void WriteLargeIldaFile(const std::filesystem::path &path, int frames, int points)
{
    std::ofstream out(path, std::ios::binary);
    std::vector<ilda::Point> frame(static_cast<std::size_t>(points));
    ilda::Header header;
    header.name = ilda::NameField("bench");
    header.total = static_cast<std::uint16_t>(frames);
    for (int f = 0; f < frames; ++f) {
        for (int p = 0; p < points; ++p) {
            ilda::Point &point = frame[static_cast<std::size_t>(p)];
            point.x = static_cast<std::int16_t>((p * 37 + f * 11) % 65536 - 32768);
            point.y = static_cast<std::int16_t>((p * 91 + f * 7) % 65536 - 32768);
            point.status = p + 1 == points ? 0x80 : (p % 8 == 0 ? 0x40 : 0);
            point.colorIndex = static_cast<std::uint8_t>(p % 64);
        }
        header.number = static_cast<std::uint16_t>(f);
        ilda::SectionWriter section;
        section.AddFrame(header, frame);
        if (f + 1 == frames)
            section.AddEndMarker(header);
        out.write(reinterpret_cast<const char *>(section.Bytes().data()),
                  static_cast<std::streamsize>(section.Bytes().size()));
    }
    if (!out.flush())
        throw rtl::EWriteError("Cannot write " + path.string());
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path &path)
{
    std::vector<std::uint8_t> bytes(std::filesystem::file_size(path));
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw rtl::EFOpenError("Cannot open file " + path.string());
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

void WriteGeneratedFile(const std::filesystem::path &path, std::uint64_t size, bool text)
{
    std::ofstream out(path, std::ios::binary);
    // One block made once and repeated, its first bytes numbered so that no
    // two blocks are alike: generating must not cost more than writing.
    std::vector<char> block(1 << 20);
    std::minstd_rand random(42);
    if (text) {
        std::size_t at = 0;
        while (at < block.size()) {
            const std::size_t length = std::min<std::size_t>(random() % 100, block.size() - at);
            for (std::size_t i = 0; i < length; ++i)
                block[at + i] = static_cast<char>('a' + random() % 26);
            at += length;
            if (at < block.size())
                block[at++] = '\n';
        }
    } else {
        for (char &c : block)
            c = static_cast<char>(random() >> 7);
    }
    std::uint64_t written = 0;
    for (std::uint64_t number = 0; written < size; ++number) {
        const std::string label = std::to_string(number);
        std::memcpy(block.data(), label.data(), label.size());
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), size - written));
        out.write(block.data(), n);
        written += static_cast<std::uint64_t>(n);
    }
    if (!out.flush())
        throw rtl::EWriteError("Cannot write " + path.string());
}

TempDir::TempDir()
{
    std::minstd_rand random(static_cast<std::uint32_t>(std::random_device{}()));
    for (;;) {
        path_ = std::filesystem::temp_directory_path() / ("lumivex-bench-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace bench
