#include "support/image_builder.h"

#include <algorithm>

namespace belltower::testing {
namespace {

void PutDword(Bytes& to, std::uint32_t value) {
    to.push_back(static_cast<std::uint8_t>(value >> 24));
    to.push_back(static_cast<std::uint8_t>(value >> 16));
    to.push_back(static_cast<std::uint8_t>(value >> 8));
    to.push_back(static_cast<std::uint8_t>(value));
}

void SetDword(Bytes& in, std::size_t offset, std::uint32_t value) {
    Bytes four;
    PutDword(four, value);
    std::copy(four.begin(), four.end(), in.begin() + static_cast<std::ptrdiff_t>(offset));
}

void Put(Bytes& to, std::string_view text) {
    to.insert(to.end(), text.begin(), text.end());
}

// Chunk with checksum and length filled in; `rest` starts with the name.
Bytes SealChunk(const Bytes& rest) {
    Bytes chunk(8 + rest.size(), 0);
    std::copy(rest.begin(), rest.end(), chunk.begin() + 8);
    SetDword(chunk, 4, static_cast<std::uint32_t>(chunk.size()));
    std::uint32_t sum = 0;
    for (std::size_t i = 4; i + 4 <= chunk.size(); i += 4) {
        sum += (std::uint32_t{chunk[i]} << 24) | (std::uint32_t{chunk[i + 1]} << 16) |
               (std::uint32_t{chunk[i + 2]} << 8) | chunk[i + 3];
    }
    SetDword(chunk, 0, sum);
    return chunk;
}

std::size_t Uniform(std::mt19937& random, std::size_t lo, std::size_t hi) {
    return std::uniform_int_distribution<std::size_t>(lo, hi)(random);
}

std::uint8_t RandomByte(std::mt19937& random, int lo = 0, int hi = 255) {
    return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(lo, hi)(random));
}

}  // namespace

Bytes MakeRecord(TextFormat format, std::uint32_t index, std::string_view id, std::string_view name, ByteView toneData,
                 std::uint8_t purpose) {
    const bool unicode = format == TextFormat::Unicode;
    Bytes record;
    PutDword(record, index);
    PutDword(record, 0);
    std::string paddedId(id.substr(0, std::min<std::size_t>(4, id.size())));
    paddedId.resize(4, ' ');
    Put(record, paddedId);
    record.insert(record.end(), {0, 0, 0, 0});
    if (unicode) {
        record.push_back(purpose);
    }
    record.push_back(static_cast<std::uint8_t>(name.size() + 1));
    for (const char c : name) {
        if (unicode) {
            record.push_back(0);
        }
        record.push_back(static_cast<std::uint8_t>(c));
    }
    record.push_back(0);
    if (unicode) {
        record.push_back(0);
    }
    record.insert(record.end(), toneData.begin(), toneData.end());
    while (record.size() % 4 != 0) {
        record.push_back(0xFF);
    }
    SetDword(record, 4, static_cast<std::uint32_t>(record.size()));
    return record;
}

Bytes MakeChunk(std::string_view name, ByteView body) {
    Bytes rest;
    Put(rest, name.substr(0, 4));
    rest.resize(4, 0);
    rest.insert(rest.end(), body.begin(), body.end());
    return SealChunk(rest);
}

ByteView DefaultToneVersion() {
    static const Bytes version{'v', 'e', 'r', 's', 'i', 'o', 'n', 0};
    return version;
}

Bytes MakeToneChunk(const std::vector<Bytes>& records, ByteView version) {
    Bytes rest;
    Put(rest, "TONE");
    rest.insert(rest.end(), version.begin(), version.end());
    for (const Bytes& record : records) {
        rest.insert(rest.end(), record.begin(), record.end());
    }
    PutDword(rest, 0);
    PutDword(rest, 16);
    rest.resize(rest.size() + 8, 0);
    return SealChunk(rest);
}

Bytes ChainEndMarker() {
    Bytes marker(36, 0);
    marker[7] = 0x24;
    for (std::size_t i = 12; i < marker.size(); ++i) {
        marker[i] = static_cast<std::uint8_t>(0xA0 + i);  // a body that is not all zero
    }
    std::uint32_t sum = 0;
    for (std::size_t i = 4; i < marker.size(); i += 4) {
        sum += (std::uint32_t{marker[i]} << 24) | (std::uint32_t{marker[i + 1]} << 16) |
               (std::uint32_t{marker[i + 2]} << 8) | marker[i + 3];
    }
    SetDword(marker, 0, sum);
    return marker;
}

Bytes PpmHeader(std::string_view text) {
    Bytes header(44, 0);
    header[0] = 'P';
    header[1] = 'P';
    header[2] = 'M';
    const std::string_view shown = text.substr(0, std::min<std::size_t>(text.size(), 40));
    std::copy(shown.begin(), shown.end(), header.begin() + 4);
    return header;
}

BuiltImage BuildImage(const ImageLayout& layout) {
    BuiltImage built;
    Bytes& image = built.image;
    built.ppmOffset = layout.ppmBlock * 65536;
    image.resize(built.ppmOffset);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);  // not "PPM" at any block start
    }
    image.insert(image.end(), layout.header.begin(), layout.header.end());
    for (const Bytes& chunk : layout.chunksBefore) {
        image.insert(image.end(), chunk.begin(), chunk.end());
    }
    const Bytes tone = layout.toneChunk ? *layout.toneChunk : MakeToneChunk(layout.records);
    built.toneOffset = image.size();
    built.toneLength = tone.size();
    image.insert(image.end(), tone.begin(), tone.end());
    for (const Bytes& chunk : layout.chunksAfter) {
        image.insert(image.end(), chunk.begin(), chunk.end());
    }
    if (layout.endMarker) {
        const Bytes marker = ChainEndMarker();
        image.insert(image.end(), marker.begin(), marker.end());
    }
    built.chainEnd = image.size();
    image.insert(image.end(), layout.tail.begin(), layout.tail.end());
    const std::size_t minimum = std::max(layout.minimumSize, built.ppmOffset + 65536);
    if (image.size() < minimum) {
        image.resize(minimum, 0xFF);
    }
    return built;
}

Bytes RandomToneData(std::mt19937& random) {
    Bytes data(Uniform(random, 2, 60));
    for (auto& b : data) {
        b = RandomByte(random);
    }
    data.back() = RandomByte(random, 0, 254);
    return data;
}

std::string RandomName(std::mt19937& random, TextFormat format) {
    std::string name(Uniform(random, 0, 30), ' ');
    for (auto& c : name) {
        c = static_cast<char>(RandomByte(random, 1, 255));
    }
    if (format == TextFormat::Ascii && !name.empty()) {
        name[0] = static_cast<char>(RandomByte(random, 32, 255));
    }
    return name;
}

ImageLayout RandomLayout(std::mt19937& random, TextFormat format, std::size_t maxRecords) {
    ImageLayout layout;
    layout.ppmBlock = Uniform(random, 0, 2);
    const auto randomChunks = [&random](std::vector<Bytes>& into) {
        const std::size_t count = Uniform(random, 0, 3);
        for (std::size_t i = 0; i < count; ++i) {
            Bytes body(Uniform(random, 0, 200));
            for (auto& b : body) {
                b = RandomByte(random);
            }
            const std::string names[] = {"PROD", "SIMS", "LOGO", "FONT"};
            into.push_back(MakeChunk(names[Uniform(random, 0, 3)], body));
        }
    };
    randomChunks(layout.chunksBefore);
    randomChunks(layout.chunksAfter);
    const std::size_t count = Uniform(random, 0, maxRecords);
    for (std::size_t i = 0; i < count; ++i) {
        std::string id(Uniform(random, 0, 4), 'A');
        for (auto& c : id) {
            c = static_cast<char>(RandomByte(random, 'A', 'Z'));
        }
        layout.records.push_back(MakeRecord(format, static_cast<std::uint32_t>(Uniform(random, 0, 400)), id,
                                            RandomName(random, format), RandomToneData(random), RandomByte(random)));
    }
    layout.tail.resize(Uniform(random, 0, 3000));
    for (auto& b : layout.tail) {
        b = Uniform(random, 0, 3) == 0 ? RandomByte(random) : 0xFF;
    }
    return layout;
}

}  // namespace belltower::testing
