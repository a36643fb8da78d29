#include "SeedSvg.h"

#include <zlib.h>

#include <stdexcept>

namespace fuzzseeds {

namespace {

using Bytes = std::vector<std::uint8_t>;

// The drawings tests/svgin draws, one per rule.
const char *const kBodies[] = {
    "<rect x='50' y='25' width='100' height='50' fill='none' stroke='#ff0000'/>",
    "<g transform='translate(100,50) rotate(90)'><line x1='0' y1='0' x2='20' y2='0' stroke='#0000ff'/></g>",
    "<path d='M0,50 C0,0 200,0 200,50 Q100,100 0,50 Z' fill='none' stroke='lime'/>",
    "<circle cx='100' cy='50' r='25' fill='#ff00ff'/>",
    "<text x='10' y='80' font-size='40' fill='#ffff00'>T</text>",
    "<rect x='1' y='1' width='5' height='5' stroke='red' style='display:none'/>"
    "<rect x='1' y='1' width='5' height='5' fill='none' stroke='red' stroke-opacity='0'/>",
    "<line x1='0' y1='50' x2='100' y2='50' stroke='#000000'/><line x1='0' y1='60' x2='100' y2='60' stroke='#323232'/>",
    "<rect width='200' height='100' fill='#ffffff'/><circle cx='100' cy='50' r='20' fill='none' stroke='#00ff00'/>",
    "<rect x='20' y='20' width='40' height='40' fill='#ff0000'/><rect x='40' y='40' width='40' height='40' "
    "fill='#ff0000' fill-rule='evenodd'/>",
    "<line x1='0' y1='50' x2='200' y2='50' stroke='#ff0000' stroke-width='2' stroke-dasharray='20 10' "
    "stroke-dashoffset='5'/>",
    "<linearGradient id='g'><stop offset='0' stop-color='#00ff00'/><stop offset='1' stop-color='#ffffff'/>"
    "</linearGradient><radialGradient id='r'><stop offset='0' stop-color='red'/></radialGradient>"
    "<rect x='10' y='10' width='50' height='50' fill='url(#g)' stroke='url(#r)'/>",
    "<image href='picture.png' width='50' height='50'/><use href='#a'/><defs><path id='a' d='M0,0 L10,10'/></defs>",
    "<path d='M0,0 L100,50 L150,x' fill='none' stroke='#ff0000'/>",
    "<polyline points='0,0 10,20 30,5' stroke='red' fill='none'/><polygon points='5,5 50,5 25,40' fill='aqua'/>",
};

Bytes Gzip(const std::string &text)
{
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib would not start");
    Bytes out(deflateBound(&z, uLong(text.size())) + 32);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace

void WriteSvgSeeds(const std::filesystem::path &out, const SeedWriter &write)
{
    const std::filesystem::path dir = out / "svg_import";
    int n = 0;
    for (const char *body : kBodies) {
        const std::string svg = std::string(
                                    "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" viewBox=\"0 0 200 100\">") +
                                body + "</svg>";
        write(dir, "drawing-" + std::to_string(n), Bytes(svg.begin(), svg.end()));
        write(dir, "drawing-" + std::to_string(n) + ".svgz", Gzip(svg));
        ++n;
    }
}

} // namespace fuzzseeds
