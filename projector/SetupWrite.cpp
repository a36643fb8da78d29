// The setup file's text: every key written, so that a person editing the
// file sees what can be set.
#include "projector/Json.h"
#include "projector/Setup.h"

namespace projector {

namespace {

std::string Pair(Point2 p)
{
    return "[" + JsonNumber(p.x) + ", " + JsonNumber(p.y) + "]";
}

std::string Bool(bool value)
{
    return value ? "true" : "false";
}

std::string Scanner(const scan::Profile &p)
{
    const auto d = p.colorDelay;
    std::string delay = d[0] == d[1] && d[1] == d[2]
                            ? JsonNumber(d[0])
                            : "[" + JsonNumber(d[0]) + ", " + JsonNumber(d[1]) + ", " + JsonNumber(d[2]) + "]";
    std::string out = "  \"scanner\": {\n";
    if (scan::FindProfile(p.name))
        out += "    \"profile\": " + JsonQuoted(p.name) + ",\n";
    out += "    \"rate\": " + JsonNumber(p.rate) + ",\n    \"cutoff\": " + JsonNumber(p.cutoff) +
           ",\n    \"litStep\": " + JsonNumber(p.litStep) + ",\n    \"blankStep\": " + JsonNumber(p.blankStep) +
           ",\n    \"tolerance\": " + JsonNumber(p.tolerance) + ",\n    \"colorDelay\": " + delay + "\n  },\n";
    return out;
}

std::string ChannelText(const char *name, const Channel &c)
{
    std::string curve = JsonNumber(c.gamma);
    if (c.levels) {
        curve = "[";
        for (std::size_t k = 0; k < 5; ++k)
            curve += (k ? ", " : "") + JsonNumber((*c.levels)[k]);
        curve += "]";
    }
    return std::string("    \"") + name + "\": {\"gain\": " + JsonNumber(c.gain) + ", \"min\": " + JsonNumber(c.min) +
           ", \"curve\": " + curve + "}";
}

std::string Color(const ColorSetup &c)
{
    return "  \"color\": {\n    \"brightness\": " + JsonNumber(c.brightness) + ",\n" +
           ChannelText("red", c.channels[0]) + ",\n" + ChannelText("green", c.channels[1]) + ",\n" +
           ChannelText("blue", c.channels[2]) + "\n  },\n";
}

std::string GeometryText(const Geometry &g)
{
    std::string keystone;
    for (std::size_t k = 0; k < 4; ++k)
        keystone += (k ? ", " : "") + Pair(g.keystone[k]);
    return "  \"geometry\": {\n    \"flipX\": " + Bool(g.flipX) + ",\n    \"flipY\": " + Bool(g.flipY) +
           ",\n    \"swapXY\": " + Bool(g.swapXY) + ",\n    \"size\": " + Pair(g.size) +
           ",\n    \"offset\": " + Pair(g.offset) + ",\n    \"rotate\": " + JsonNumber(g.rotate) +
           ",\n    \"keystone\": [" + keystone + "]\n  },\n";
}

std::string Zones(const std::vector<Zone> &zones)
{
    std::string out = "  \"zones\": [";
    for (std::size_t k = 0; k < zones.size(); ++k) {
        const Zone &z = zones[k];
        out += k ? ",\n    " : "\n    ";
        out += z.kind == ZoneKind::Blank ? "{\"kind\": \"blank\", "
                                         : "{\"kind\": \"dim\", \"brightness\": " + JsonNumber(z.brightness) + ", ";
        out += "\"points\": [";
        for (std::size_t i = 0; i < z.points.size(); ++i)
            out += (i ? ", " : "") + Pair(z.points[i]);
        out += "]}";
    }
    return out + (zones.empty() ? "],\n" : "\n  ],\n");
}

} // namespace

std::string SetupToJson(const Setup &setup)
{
    const Limits &l = setup.limits;
    std::string out = "{\n  \"version\": " + std::to_string(kSetupVersion) + ",\n";
    out += Scanner(setup.scanner) + Color(setup.color) + GeometryText(setup.geometry) + Zones(setup.zones);
    out += "  \"limits\": {\"left\": " + JsonNumber(l.left) + ", \"bottom\": " + JsonNumber(l.bottom) +
           ", \"right\": " + JsonNumber(l.right) + ", \"top\": " + JsonNumber(l.top) + "}";
    if (setup.dac)
        out += ",\n  \"dac\": " + JsonQuoted(*setup.dac);
    return out + "\n}\n";
}

} // namespace projector
