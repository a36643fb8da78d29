#include "Unpack.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

#include <string>

namespace svgin {

namespace {

bool IsImage(const QXmlStreamReader &xml)
{
    // feImage reads files as image does.
    return xml.name() == u"image" || xml.name() == u"feImage";
}

} // namespace

bool IsGzip(const QByteArray &bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
           static_cast<unsigned char>(bytes[1]) == 0x8B;
}

rtl::Result<QByteArray> Gunzip(const QByteArray &bytes)
{
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        return rtl::Fail("its gzip data cannot be unpacked (zlib would not start)");
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    QByteArray out;
    int status = Z_OK;
    char block[65536];
    while (status == Z_OK && out.size() <= kMostUnpacked) {
        z.next_out = reinterpret_cast<Bytef *>(block);
        z.avail_out = sizeof block;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(block, qsizetype(sizeof block - z.avail_out));
        if (status == Z_BUF_ERROR && z.avail_in == 0)
            break; // cut short
    }
    inflateEnd(&z);
    if (out.size() > kMostUnpacked)
        return rtl::Fail("it unpacks to more than " + std::to_string(kMostUnpacked >> 20) + " MiB");
    if (status != Z_STREAM_END)
        return rtl::Fail(status == Z_OK || status == Z_BUF_ERROR ? "its gzip data is cut short"
                                                                 : "its gzip data is damaged");
    return out;
}

rtl::Result<Cleaned> WithoutImages(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    Cleaned cleaned;
    QXmlStreamWriter writer(&cleaned.xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && IsImage(reader)) {
            ++cleaned.imagesLeftOut;
            reader.skipCurrentElement();
            continue;
        }
        if (reader.hasError())
            break;
        writer.writeCurrentToken(reader);
        // Qt SVG drops a radial gradient without r, and the shapes it paints
        // with it; 50 % is the default a drawing may leave out.
        if (reader.isStartElement() && reader.name() == u"radialGradient" && !reader.attributes().hasAttribute("r"))
            writer.writeAttribute("r", "50%");
    }
    if (reader.hasError())
        return rtl::Fail("line " + std::to_string(reader.lineNumber()) + ": " + reader.errorString().toStdString());
    return cleaned;
}

} // namespace svgin
