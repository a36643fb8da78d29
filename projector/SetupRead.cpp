// The setup file's keys, read strictly: every key known, every value of
// its kind. Ranges are CheckSetup's, so that a file and a dialog meet the
// same rules.
#include "projector/Json.h"
#include "projector/Setup.h"

#include <cmath>
#include <initializer_list>
#include <string_view>

namespace projector {

namespace {

// A problem found while reading, with the path of its key.
struct Refusal {
    std::string path;
    std::string what;
};

using Kind = JsonValue::Kind;

std::string Join(const std::string &path, std::string_view key)
{
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

const JsonValue &Expect(const JsonValue &value, Kind kind, const std::string &path)
{
    if (value.kind != kind)
        throw Refusal{path, std::string("must be ") + KindName(kind) + ", not " + KindName(value.kind)};
    return value;
}

// The object's members, each of them one of known.
const JsonValue &Object(const JsonValue &value, const std::string &path, std::initializer_list<std::string_view> known)
{
    Expect(value, Kind::Object, path);
    for (const auto &[key, member] : value.members) {
        bool ok = false;
        for (const std::string_view name : known)
            ok = ok || key == name;
        if (!ok)
            throw Refusal{Join(path, key), "unknown key"};
    }
    return value;
}

double Number(const JsonValue &value, const std::string &path)
{
    return Expect(value, Kind::Number, path).number;
}

void Take(const JsonValue &object, std::string_view key, const std::string &path, double &into)
{
    if (const JsonValue *v = object.Find(key))
        into = Number(*v, Join(path, key));
}

void Take(const JsonValue &object, std::string_view key, const std::string &path, bool &into)
{
    if (const JsonValue *v = object.Find(key))
        into = Expect(*v, Kind::Bool, Join(path, key)).boolean;
}

std::string Item(const std::string &path, std::size_t k)
{
    return path + "[" + std::to_string(k) + "]";
}

const JsonValue &List(const JsonValue &value, const std::string &path, std::size_t count)
{
    Expect(value, Kind::Array, path);
    if (count != 0 && value.items.size() != count)
        throw Refusal{path,
                      "must hold " + std::to_string(count) + " values, not " + std::to_string(value.items.size())};
    return value;
}

Point2 Pair(const JsonValue &value, const std::string &path)
{
    const JsonValue &list = List(value, path, 2);
    return {Number(list.items[0], Item(path, 0)), Number(list.items[1], Item(path, 1))};
}

// A number for every item, or one number for all of them.
template <std::size_t N> void NumberOrList(const JsonValue &value, const std::string &path, std::array<double, N> &into)
{
    if (value.kind == Kind::Number) {
        into.fill(value.number);
        return;
    }
    if (value.kind != Kind::Array)
        throw Refusal{path, "must be a number or a list of " + std::to_string(N)};
    const JsonValue &list = List(value, path, N);
    for (std::size_t k = 0; k < N; ++k)
        into[k] = Number(list.items[k], Item(path, k));
}

void ReadScanner(const JsonValue &value, const std::string &path, scan::Profile &profile)
{
    Object(value, path, {"profile", "rate", "cutoff", "litStep", "blankStep", "tolerance", "colorDelay"});
    if (const JsonValue *name = value.Find("profile")) {
        const auto named = scan::FindProfile(Expect(*name, Kind::String, Join(path, "profile")).text);
        if (!named)
            throw Refusal{Join(path, "profile"), "unknown profile " + name->text + " (ilda-30k, ilda-12k)"};
        profile = *named;
    }
    const scan::Profile named = profile;
    Take(value, "rate", path, profile.rate);
    if (value.Find("rate") && !value.Find("cutoff"))
        profile.cutoff = profile.rate / 12; // a scanner's point rate is commonly twelve times its bandwidth
    Take(value, "cutoff", path, profile.cutoff);
    Take(value, "litStep", path, profile.litStep);
    Take(value, "blankStep", path, profile.blankStep);
    Take(value, "tolerance", path, profile.tolerance);
    if (const JsonValue *delay = value.Find("colorDelay"))
        NumberOrList(*delay, Join(path, "colorDelay"), profile.colorDelay);
    scan::Profile shape = profile;
    shape.colorDelay = named.colorDelay;
    if (!(shape == named))
        profile.name = "custom";
}

void ReadChannel(const JsonValue &value, const std::string &path, Channel &channel)
{
    Object(value, path, {"gain", "min", "curve"});
    Take(value, "gain", path, channel.gain);
    Take(value, "min", path, channel.min);
    if (const JsonValue *curve = value.Find("curve")) {
        const std::string at = Join(path, "curve");
        if (curve->kind == Kind::Number) {
            channel.gamma = curve->number;
        } else {
            if (curve->kind != Kind::Array)
                throw Refusal{at, "must be a gamma or the five levels at 0, 25, 50, 75 and 100 %"};
            std::array<double, 5> levels{};
            NumberOrList(*curve, at, levels);
            channel.levels = levels;
        }
    }
}

void ReadColor(const JsonValue &value, const std::string &path, ColorSetup &color)
{
    Object(value, path, {"brightness", "red", "green", "blue"});
    Take(value, "brightness", path, color.brightness);
    const char *names[] = {"red", "green", "blue"};
    for (std::size_t c = 0; c < 3; ++c)
        if (const JsonValue *channel = value.Find(names[c]))
            ReadChannel(*channel, Join(path, names[c]), color.channels[c]);
}

void ReadGeometry(const JsonValue &value, const std::string &path, Geometry &geometry)
{
    Object(value, path, {"flipX", "flipY", "swapXY", "size", "offset", "rotate", "keystone"});
    Take(value, "flipX", path, geometry.flipX);
    Take(value, "flipY", path, geometry.flipY);
    Take(value, "swapXY", path, geometry.swapXY);
    if (const JsonValue *size = value.Find("size")) {
        std::array<double, 2> xy{};
        NumberOrList(*size, Join(path, "size"), xy);
        geometry.size = {xy[0], xy[1]};
    }
    if (const JsonValue *offset = value.Find("offset"))
        geometry.offset = Pair(*offset, Join(path, "offset"));
    Take(value, "rotate", path, geometry.rotate);
    if (const JsonValue *keystone = value.Find("keystone")) {
        const std::string at = Join(path, "keystone");
        const JsonValue &corners = List(*keystone, at, 4);
        for (std::size_t k = 0; k < 4; ++k)
            geometry.keystone[k] = Pair(corners.items[k], Item(at, k));
    }
}

Zone ReadZone(const JsonValue &value, const std::string &path)
{
    Object(value, path, {"kind", "brightness", "points"});
    Zone zone;
    const JsonValue *kind = value.Find("kind");
    if (!kind)
        throw Refusal{Join(path, "kind"), "missing: blank or dim"};
    const std::string &word = Expect(*kind, Kind::String, Join(path, "kind")).text;
    if (word != "blank" && word != "dim")
        throw Refusal{Join(path, "kind"), "must be blank or dim, not " + word};
    zone.kind = word == "blank" ? ZoneKind::Blank : ZoneKind::Dim;
    if (const JsonValue *brightness = value.Find("brightness")) {
        if (zone.kind == ZoneKind::Blank)
            throw Refusal{Join(path, "brightness"), "a blank zone lets no light through"};
        zone.brightness = Number(*brightness, Join(path, "brightness"));
    } else if (zone.kind == ZoneKind::Dim) {
        throw Refusal{Join(path, "brightness"), "missing: the most a dim zone lets through (%)"};
    }
    const JsonValue *points = value.Find("points");
    if (!points)
        throw Refusal{Join(path, "points"), "missing"};
    const std::string at = Join(path, "points");
    const JsonValue &list = List(*points, at, 0);
    for (std::size_t k = 0; k < list.items.size(); ++k)
        zone.points.push_back(Pair(list.items[k], Item(at, k)));
    return zone;
}

void ReadLimits(const JsonValue &value, const std::string &path, Limits &limits)
{
    Object(value, path, {"left", "bottom", "right", "top"});
    Take(value, "left", path, limits.left);
    Take(value, "bottom", path, limits.bottom);
    Take(value, "right", path, limits.right);
    Take(value, "top", path, limits.top);
}

Setup ReadSetup(const JsonValue &root)
{
    Object(root, "", {"version", "scanner", "color", "geometry", "zones", "limits", "dac"});
    const JsonValue *version = root.Find("version");
    if (!version)
        throw Refusal{"version", "missing"};
    if (Number(*version, "version") != kSetupVersion)
        throw Refusal{"version", "must be " + std::to_string(kSetupVersion) + " (this program reads no other)"};
    Setup setup;
    if (const JsonValue *v = root.Find("scanner"))
        ReadScanner(*v, "scanner", setup.scanner);
    if (const JsonValue *v = root.Find("color"))
        ReadColor(*v, "color", setup.color);
    if (const JsonValue *v = root.Find("geometry"))
        ReadGeometry(*v, "geometry", setup.geometry);
    if (const JsonValue *v = root.Find("zones")) {
        const JsonValue &zones = List(*v, "zones", 0);
        for (std::size_t k = 0; k < zones.items.size(); ++k)
            setup.zones.push_back(ReadZone(zones.items[k], Item("zones", k)));
    }
    if (const JsonValue *v = root.Find("limits"))
        ReadLimits(*v, "limits", setup.limits);
    if (const JsonValue *v = root.Find("dac"))
        setup.dac = Expect(*v, Kind::String, "dac").text;
    return setup;
}

} // namespace

rtl::Result<Setup> SetupFromJson(std::string_view text)
{
    auto json = ParseJson(text);
    if (!json)
        return rtl::Fail(json.message(), kRefused);
    try {
        Setup setup = ReadSetup(*json);
        if (auto checked = CheckSetup(setup); !checked)
            return checked.failure();
        return setup;
    } catch (const Refusal &refusal) {
        return rtl::Fail(refusal.path + ": " + refusal.what, kRefused);
    }
}

} // namespace projector
