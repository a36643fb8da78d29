// Hand-built ILDA sections for the reader and writer tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void AppendBE16(Bytes &out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

// A 32-byte header; the signature can be spoiled for the error cases.
inline Bytes IldaHeader(unsigned format, unsigned points, unsigned frameNo, unsigned total,
                        const char *signature = "ILDA")
{
    Bytes h(signature, signature + 4);
    h.resize(7, 0);
    h.push_back(static_cast<std::uint8_t>(format));
    h.resize(24, 0);
    AppendBE16(h, points);
    AppendBE16(h, frameNo);
    AppendBE16(h, total);
    h.push_back(0);
    h.push_back(0);
    return h;
}

// The header with its name and company fields (eight characters at most) filled in.
inline Bytes Named(Bytes header, const std::string &name, const std::string &company = "")
{
    std::copy(name.begin(), name.end(), header.begin() + 8);
    std::copy(company.begin(), company.end(), header.begin() + 16);
    return header;
}

struct IldaRecord {
    int x, y, z;
    std::uint8_t status, colorIndex;
};

// One section: its header and the records in format 0 (8 bytes) or 1 (6 bytes).
inline Bytes IldaSection(unsigned format, unsigned frameNo, unsigned total, const std::vector<IldaRecord> &records)
{
    Bytes s = IldaHeader(format, static_cast<unsigned>(records.size()), frameNo, total);
    for (const IldaRecord &r : records) {
        AppendBE16(s, static_cast<unsigned>(r.x) & 0xFFFF);
        AppendBE16(s, static_cast<unsigned>(r.y) & 0xFFFF);
        if (format == 0)
            AppendBE16(s, static_cast<unsigned>(r.z) & 0xFFFF);
        s.push_back(r.status);
        s.push_back(r.colorIndex);
    }
    return s;
}

inline Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The two-point file of the writer's worked example.
inline const Bytes &TwoPointExample()
{
    static const Bytes bytes = {
        0x49, 0x4c, 0x44, 0x41, 0x00, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
        0x80, 0x80, 0x7f, 0x80, 0x00, 0x00, 0x00, 0x05,
        0x7e, 0x81, 0x81, 0x7f, 0x00, 0x00, 0xc0, 0x05,
    };
    return bytes;
}
