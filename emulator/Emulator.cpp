#include "emulator/Emulator.h"

#include "Units.h"

namespace emu {

namespace {

// Each kind's unit; another kind is another line here.
rtl::Result<std::unique_ptr<Unit>> Open(const EmulatorOptions &options, Tally &tally)
{
    switch (options.kind) {
    case dac::Kind::EtherDream: return OpenEtherDream(options, tally);
    case dac::Kind::Idn: return OpenIdn(options, tally);
    case dac::Kind::LaserCube: return OpenLaserCube(options, tally);
    case dac::Kind::Helios: break; // a USB unit: no network emulator
    }
    return rtl::Fail("no emulator of that kind");
}

} // namespace

Emulator::Emulator(EmulatorOptions options) : options_(std::move(options)), tally_(options_.keep) {}

Emulator::~Emulator()
{
    Stop();
}

bool Emulator::Start(std::string &problem)
{
    Stop();
    auto unit = Open(options_, tally_);
    if (!unit) {
        problem = unit.message();
        return false;
    }
    unit_ = std::move(unit).value();
    port_ = unit_->Port();
    stop_ = false;
    thread_ = std::thread([this] { unit_->Run(stop_); });
    return true;
}

void Emulator::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    unit_.reset(); // its sockets close with it
}

} // namespace emu
