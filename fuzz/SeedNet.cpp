#include "SeedNet.h"

#include "dac/EtherDream.h"
#include "dac/Idn.h"

namespace fuzzseeds {

namespace {

namespace ed = dac::etherdream;
namespace idn = dac::idn;
using Bytes = std::vector<std::uint8_t>;

// The bytes, and their cuts where a reading must stop.
void WithCuts(const SeedWriter &write, const std::filesystem::path &dir, const std::string &stem, const Bytes &bytes)
{
    write(dir, stem, bytes);
    for (const std::size_t cut : {std::size_t{1}, std::size_t{4}, bytes.size() - 1})
        if (cut < bytes.size())
            write(dir, stem + "-cut" + std::to_string(cut), Bytes(bytes.begin(), bytes.begin() + cut));
}

void ReplySeeds(const std::filesystem::path &out, const SeedWriter &write)
{
    // The response the layout test reads field by field.
    WithCuts(write, out / "etherdream_status", "data-ack",
             {'a',  'd',  0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00,
              0x00, 0xB0, 0x04, 0x30, 0x75, 0x00, 0x00, 0x78, 0x56, 0x34, 0x12});
    ed::Status estop;
    estop.lightEngine = ed::LightEngine::EmergencyStop;
    estop.playbackFlags = ed::kFlagEStop;
    WithCuts(write, out / "etherdream_status", "estop", ed::EncodeResponse({ed::kNakStop, ed::kPrepare, estop}));
    ed::Broadcast b;
    b.mac = {0x02, 0x4C, 0x56, 0x58, 0x00, 0x01};
    b.bufferCapacity = 1799;
    b.maxPointRate = 100000;
    WithCuts(write, out / "etherdream_broadcast", "unit", ed::EncodeBroadcast(b));
    for (const std::string name : {"", "lumivex-emulator", "twenty-bytes-of-name"}) {
        idn::ScanResponse r;
        r.hostName = name;
        r.unitId[0] = 7;
        WithCuts(write, out / "idn_scan", "name" + std::to_string(name.size()), idn::EncodeScanResponse(3, r));
    }
}

// Ether Dream input: pieces of a command stream, each behind its length.
Bytes EtherDreamSession()
{
    std::vector<ed::Point> points(5);
    points[2].control = ed::kControlRateChange;
    const std::vector<Bytes> commands = {
        {ed::kPrepare}, ed::DataCommand(points), ed::QueueRateCommand(2000), ed::BeginCommand(0, 1000),
        {ed::kPing},    {ed::kEmergencyStop},    {ed::kClearEmergencyStop},  {ed::kStop},
        {'z'}};
    Bytes input{0};
    for (const Bytes &c : commands) {
        input.push_back(static_cast<std::uint8_t>(c.size()));
        input.insert(input.end(), c.begin(), c.end());
    }
    return input;
}

// IDN input: datagrams, each behind its 16-bit length.
Bytes IdnSession()
{
    std::vector<idn::Sample> samples(300);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = {static_cast<std::int16_t>(i * 100), static_cast<std::int16_t>(-i), 0x10, 0x20, 0x30};
    idn::FrameMessage m;
    m.config = true;
    m.duration = 10000;
    std::vector<Bytes> datagrams = idn::EncodeFrame(m, samples); // a first fragment and a sequel
    datagrams.push_back({idn::kScanRequest, 0, 0, 1});
    datagrams.push_back({idn::kPingRequest, 0, 0, 2, 0xAB});
    m.close = true;
    datagrams.push_back(idn::EncodeVoid(m, idn::kChannelClose));
    Bytes input{1};
    for (const Bytes &d : datagrams) {
        input.push_back(static_cast<std::uint8_t>(d.size() >> 8));
        input.push_back(static_cast<std::uint8_t>(d.size()));
        input.insert(input.end(), d.begin(), d.end());
    }
    return input;
}

} // namespace

void WriteNetSeeds(const std::filesystem::path &out, const SeedWriter &write)
{
    ReplySeeds(out, write);
    write(out / "emulator_models", "etherdream-session", EtherDreamSession());
    write(out / "emulator_models", "idn-session", IdnSession());
}

} // namespace fuzzseeds
