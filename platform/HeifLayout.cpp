// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HeifLayout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// A span of the file, read with every access bounded by it.
struct Span {
    const unsigned char* data = nullptr;
    std::size_t size = 0;

    bool Has(std::size_t at, std::size_t count) const { return at <= size && size - at >= count; }
    std::uint64_t Be(std::size_t at, std::size_t bytes) const
    {
        if (!Has(at, bytes)) return 0;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i) value = value << 8 | data[at + i];
        return value;
    }
    Span Sub(std::size_t at, std::size_t count) const
    {
        if (at > size) return {};
        return {data + at, std::min(count, size - at)};
    }
};

struct Box {
    std::string type;
    Span body;  // after the header
};

// The boxes one after another in a span; stops at the first that does not fit.
std::vector<Box> BoxesIn(const Span& span)
{
    std::vector<Box> boxes;
    std::size_t at = 0;
    while (span.Has(at, 8)) {
        std::uint64_t size = span.Be(at, 4);
        std::size_t header = 8;
        if (size == 1) {
            size = span.Be(at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = span.size - at;
        }
        if (size < header || size > span.size - at) break;
        boxes.push_back({std::string(reinterpret_cast<const char*>(span.data + at + 4), 4),
                         span.Sub(at + header, static_cast<std::size_t>(size) - header)});
        at += static_cast<std::size_t>(size);
    }
    return boxes;
}

const Box* Find(const std::vector<Box>& boxes, const char* type)
{
    for (const Box& box : boxes)
        if (box.type == type) return &box;
    return nullptr;
}

// Reads bits from the top of each byte; past the end everything reads as 0.
class Bits {
public:
    explicit Bits(std::vector<unsigned char> bytes) : bytes(std::move(bytes)) {}
    std::uint64_t Get(int count)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            const std::size_t byte = at >> 3;
            const int bit = byte < bytes.size() ? (bytes[byte] >> (7 - (at & 7))) & 1 : 0;
            value = value << 1 | static_cast<unsigned>(bit);
            ++at;
        }
        return value;
    }
    // Exp-Golomb, as HEVC writes sizes; AV1's uvlc is the same code.
    std::uint64_t Golomb()
    {
        int zeros = 0;
        while (Get(1) == 0) {
            if (++zeros >= 32 || Ended()) return UINT32_MAX;
        }
        return (std::uint64_t{1} << zeros) - 1 + Get(zeros);
    }
    bool Ended() const { return (at >> 3) >= bytes.size(); }

private:
    std::vector<unsigned char> bytes;
    std::size_t at = 0;
};

struct Size {
    long long width = 0, height = 0;
};

// The sizes come early in a parameter set or sequence header: no more of one
// is read than this, nor more than this many units of a picture's data, so
// that a file of many large units costs no more than its length to walk.
constexpr std::size_t kHeaderBytes = 256;
constexpr int kUnitsWalked = 16;

// An HEVC sequence parameter set (the NAL unit with its two-byte header): the
// coded picture's size, as its decoder allocates it.
Size HevcSpsSize(const Span& nal)
{
    if (nal.size < 3 || ((nal.data[0] >> 1) & 0x3F) != 33) return {};
    // The emulation prevention bytes (0 0 3) go before the bits are read.
    std::vector<unsigned char> raw;
    for (std::size_t i = 2; i < nal.size && raw.size() < kHeaderBytes; ++i) {
        if (i >= 4 && nal.data[i] == 3 && nal.data[i - 1] == 0 && nal.data[i - 2] == 0) continue;
        raw.push_back(nal.data[i]);
    }
    Bits bits(std::move(raw));
    bits.Get(4);  // video parameter set
    const int subLayers = static_cast<int>(bits.Get(3));
    bits.Get(1);
    bits.Get(96);  // the general profile, tier and level
    std::vector<int> profilePresent(subLayers), levelPresent(subLayers);
    for (int i = 0; i < subLayers; ++i) {
        profilePresent[i] = static_cast<int>(bits.Get(1));
        levelPresent[i] = static_cast<int>(bits.Get(1));
    }
    if (subLayers > 0) bits.Get(2 * (8 - subLayers));
    for (int i = 0; i < subLayers; ++i) {
        if (profilePresent[i]) bits.Get(88);
        if (levelPresent[i]) bits.Get(8);
    }
    bits.Golomb();  // its own id
    if (bits.Golomb() == 3) bits.Get(1);  // 4:4:4 with separate planes
    Size size;
    size.width = static_cast<long long>(bits.Golomb());
    size.height = static_cast<long long>(bits.Golomb());
    return size;
}

// An AV1 sequence header's payload: the largest frame its stream may hold.
Size Av1SequenceSize(const Span& payload)
{
    Bits bits(std::vector<unsigned char>(payload.data, payload.data + std::min(payload.size, kHeaderBytes)));
    bits.Get(3);  // profile
    bits.Get(1);  // still picture
    if (bits.Get(1)) {  // the reduced header of a still picture
        bits.Get(5);
    } else {
        bool decoderModel = false;
        int delayLength = 0;
        if (bits.Get(1)) {  // timing info
            bits.Get(64);
            if (bits.Get(1)) bits.Golomb();
            decoderModel = bits.Get(1) != 0;
            if (decoderModel) {
                delayLength = static_cast<int>(bits.Get(5)) + 1;
                bits.Get(32 + 5 + 5);
            }
        }
        const bool displayDelay = bits.Get(1) != 0;
        const int points = static_cast<int>(bits.Get(5)) + 1;
        for (int i = 0; i < points; ++i) {
            bits.Get(12);
            if (bits.Get(5) > 7) bits.Get(1);
            if (decoderModel && bits.Get(1)) bits.Get(2 * delayLength + 1);
            if (displayDelay && bits.Get(1)) bits.Get(4);
        }
    }
    const int widthBits = static_cast<int>(bits.Get(4)) + 1;
    const int heightBits = static_cast<int>(bits.Get(4)) + 1;
    Size size;
    size.width = static_cast<long long>(bits.Get(widthBits)) + 1;
    size.height = static_cast<long long>(bits.Get(heightBits)) + 1;
    return size;
}

// Each sequence header among AV1 OBUs (each with its size field, as in AVIF).
template <class Take>
void ForEachAv1SequenceHeader(const Span& obus, Take take)
{
    std::size_t at = 0;
    for (int walked = 0; walked < kUnitsWalked && obus.Has(at, 1); ++walked) {
        const unsigned char header = obus.data[at];
        const int type = (header >> 3) & 0xF;
        std::size_t next = at + 1 + ((header & 4) ? 1 : 0);
        if (!(header & 2)) return;  // no size field: nothing more can be walked
        std::uint64_t length = 0;
        for (int i = 0; i < 8 && obus.Has(next, 1); ++i) {
            const unsigned char byte = obus.data[next++];
            length |= static_cast<std::uint64_t>(byte & 0x7F) << (7 * i);
            if (!(byte & 0x80)) break;
        }
        if (length > obus.size - std::min(next, obus.size)) return;
        if (type == 1) take(obus.Sub(next, static_cast<std::size_t>(length)));
        at = next + static_cast<std::size_t>(length);
    }
}

// Each NAL unit of a stream with length fields of `lengthBytes` bytes.
template <class Take>
void ForEachNal(const Span& stream, std::size_t lengthBytes, Take take)
{
    std::size_t at = 0;
    for (int walked = 0; walked < kUnitsWalked && stream.Has(at, lengthBytes); ++walked) {
        const std::uint64_t length = stream.Be(at, lengthBytes);
        at += lengthBytes;
        if (length > stream.size - at) return;
        take(stream.Sub(at, static_cast<std::size_t>(length)));
        at += static_cast<std::size_t>(length);
    }
}

struct Item {
    std::string type;
    std::vector<const Box*> properties;
    Span data;  // its first extent
};

// iinf: each item's type.
void ReadItemTypes(const Box& iinf, std::map<std::uint32_t, Item>& items)
{
    const Span& b = iinf.body;
    const bool version0 = b.Has(0, 1) && b.data[0] == 0;
    const std::size_t first = 4 + (version0 ? 2 : 4);
    for (const Box& infe : BoxesIn(b.Sub(first, b.size))) {
        if (infe.type != "infe" || !infe.body.Has(0, 1)) continue;
        const unsigned version = infe.body.data[0];
        if (version < 2) continue;  // no item types before version 2
        const std::size_t idBytes = version == 2 ? 2 : 4;
        const auto id = static_cast<std::uint32_t>(infe.body.Be(4, idBytes));
        if (!infe.body.Has(4 + idBytes + 2, 4)) continue;
        items[id].type.assign(reinterpret_cast<const char*>(infe.body.data + 4 + idBytes + 2), 4);
    }
}

// iloc: where each item's data lies, in the file or in idat.
void ReadItemLocations(const Box& iloc, const Span& file, const Span& idat, std::map<std::uint32_t, Item>& items)
{
    const Span& b = iloc.body;
    if (!b.Has(0, 6)) return;
    const unsigned version = b.data[0];
    const std::size_t offsetBytes = b.data[4] >> 4, lengthBytes = b.data[4] & 0xF, baseBytes = b.data[5] >> 4,
                      indexBytes = version >= 1 ? b.data[5] & 0xF : 0;
    std::size_t at = 6;
    const std::size_t countBytes = version < 2 ? 2 : 4;
    const std::uint64_t count = b.Be(at, countBytes);
    at += countBytes;
    for (std::uint64_t i = 0; i < count && b.Has(at, 1); ++i) {
        const std::size_t idBytes = version < 2 ? 2 : 4;
        const auto id = static_cast<std::uint32_t>(b.Be(at, idBytes));
        at += idBytes;
        unsigned method = 0;
        if (version >= 1) {
            method = static_cast<unsigned>(b.Be(at, 2) & 0xF);
            at += 2;
        }
        at += 2;  // data reference
        const std::uint64_t base = b.Be(at, baseBytes);
        at += baseBytes;
        const std::uint64_t extents = b.Be(at, 2);
        at += 2;
        const std::size_t extentBytes = indexBytes + offsetBytes + lengthBytes;
        if (extents == 0) continue;
        // The first extent is where the data starts; the others are passed over.
        const std::uint64_t offset = base + b.Be(at + indexBytes, offsetBytes);
        const std::uint64_t length = b.Be(at + indexBytes + offsetBytes, lengthBytes);
        if (!b.Has(at, extents * extentBytes)) return;
        at += static_cast<std::size_t>(extents * extentBytes);
        const Span& from = method == 1 ? idat : file;
        auto found = items.find(id);
        if (method > 1 || offset > from.size || found == items.end()) continue;
        const std::uint64_t available = from.size - offset;
        found->second.data = from.Sub(static_cast<std::size_t>(offset),
                                      static_cast<std::size_t>(length == 0 ? available : std::min(length, available)));
    }
}

// ipco and ipma: the properties of each item.
void ReadItemProperties(const Box& iprp, std::vector<Box>& properties, std::map<std::uint32_t, Item>& items)
{
    const std::vector<Box> children = BoxesIn(iprp.body);
    const Box* ipco = Find(children, "ipco");
    if (!ipco) return;
    properties = BoxesIn(ipco->body);
    for (const Box& ipma : children) {
        if (ipma.type != "ipma" || !ipma.body.Has(0, 8)) continue;
        const Span& b = ipma.body;
        const unsigned version = b.data[0];
        const bool wideIndex = (b.data[3] & 1) != 0;
        const std::uint64_t count = b.Be(4, 4);
        std::size_t at = 8;
        for (std::uint64_t i = 0; i < count && b.Has(at, 1); ++i) {
            const std::size_t idBytes = version < 1 ? 2 : 4;
            const auto id = static_cast<std::uint32_t>(b.Be(at, idBytes));
            at += idBytes;
            const std::uint64_t associations = b.Be(at, 1);
            at += 1;
            for (std::uint64_t a = 0; a < associations && b.Has(at, 1); ++a) {
                const std::uint64_t index = wideIndex ? b.Be(at, 2) & 0x7FFF : b.Be(at, 1) & 0x7F;
                at += wideIndex ? 2 : 1;
                auto found = items.find(id);
                if (index >= 1 && index <= properties.size() && found != items.end())
                    found->second.properties.push_back(&properties[static_cast<std::size_t>(index - 1)]);
            }
        }
    }
}

}  // namespace

void HeifLayout::Note(long long width, long long height)
{
    if (width <= 0 || height <= 0) return;
    // Sides of up to 2^32 each would overflow the product.
    const long long pixels = width > LLONG_MAX / height ? LLONG_MAX : width * height;
    largestPixels = std::max(largestPixels, pixels);
    longestSide = std::max({longestSide, width, height});
}

bool HeifLayout::Read(const unsigned char* data, std::size_t size)
{
    largestPixels = longestSide = 0;
    const Span file{data, data ? size : 0};
    const std::vector<Box> top = BoxesIn(file);
    const Box* meta = Find(top, "meta");
    if (!meta) return false;
    const std::vector<Box> boxes = BoxesIn(meta->body.Sub(4, meta->body.size));
    const Box* iinf = Find(boxes, "iinf");
    const Box* iloc = Find(boxes, "iloc");
    const Box* iprp = Find(boxes, "iprp");
    const Box* idat = Find(boxes, "idat");
    if (!iinf || !iloc || !iprp) return false;
    std::map<std::uint32_t, Item> items;
    ReadItemTypes(*iinf, items);
    ReadItemLocations(*iloc, file, idat ? idat->body : Span{}, items);
    std::vector<Box> properties;
    ReadItemProperties(*iprp, properties, items);

    // Every property once, whichever items it belongs to.
    for (const Box& property : properties) {
        const Span& p = property.body;
        if (property.type == "ispe") {
            Note(static_cast<long long>(p.Be(4, 4)), static_cast<long long>(p.Be(8, 4)));
        } else if (property.type == "hvcC" && p.Has(0, 23)) {
            // The parameter sets, array by array.
            std::size_t at = 23;
            for (std::uint64_t array = 0, arrays = p.Be(22, 1); array < arrays && p.Has(at, 3); ++array) {
                const std::uint64_t units = p.Be(at + 1, 2);
                at += 3;
                for (std::uint64_t u = 0; u < units && p.Has(at, 2); ++u) {
                    const std::size_t length = static_cast<std::size_t>(p.Be(at, 2));
                    const Size coded = HevcSpsSize(p.Sub(at + 2, length));
                    Note(coded.width, coded.height);
                    at += 2 + length;
                }
            }
        } else if (property.type == "av1C" && p.Has(0, 4)) {
            ForEachAv1SequenceHeader(p.Sub(4, p.size), [this](const Span& header) {
                const Size coded = Av1SequenceSize(header);
                Note(coded.width, coded.height);
            });
        }
    }
    // Then the items' own data, each place in the file once.
    std::set<const unsigned char*> walked;
    for (const auto& entry : items) {
        const Item& item = entry.second;
        if (!item.data.data || !walked.insert(item.data.data).second) continue;
        if (item.type == "grid" && item.data.Has(0, 8)) {
            // A grid lays its tiles out on a canvas of its own size: version,
            // flags, rows and columns, then the canvas's width and height.
            const std::size_t field = (item.data.data[1] & 1) ? 4 : 2;
            Note(static_cast<long long>(item.data.Be(4, field)), static_cast<long long>(item.data.Be(4 + field, field)));
        } else if (item.type == "hvc1") {
            // A parameter set may also come with the picture's own data.
            std::size_t nalLengthBytes = 4;
            for (const Box* property : item.properties)
                if (property->type == "hvcC" && property->body.Has(21, 1)) nalLengthBytes = (property->body.data[21] & 3) + 1u;
            ForEachNal(item.data, nalLengthBytes, [this](const Span& nal) {
                const Size coded = HevcSpsSize(nal);
                Note(coded.width, coded.height);
            });
        } else if (item.type == "av01") {
            ForEachAv1SequenceHeader(item.data, [this](const Span& header) {
                const Size coded = Av1SequenceSize(header);
                Note(coded.width, coded.height);
            });
        }
    }
    return true;
}
