// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/image_builder.h"

#include <algorithm>
#include <numeric>

namespace belltower::testing {
namespace {

void SetDword(Bytes& in, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        in[offset + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
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
    Bytes record(8, 0);
    SetDword(record, 0, index);
    std::string paddedId(id.substr(0, 4));
    paddedId.resize(4, ' ');
    formats::Append(record, formats::ToBytes(paddedId));
    record.resize(16, 0);
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
    record.resize(record.size() + (unicode ? 2 : 1), 0);
    formats::Append(record, toneData);
    record.resize((record.size() + 3) / 4 * 4, 0xFF);
    SetDword(record, 4, static_cast<std::uint32_t>(record.size()));
    return record;
}

Bytes MakeChunk(std::string_view name, ByteView body) {
    Bytes chunk(12, 0);
    std::copy_n(name.begin(), std::min<std::size_t>(4, name.size()), chunk.begin() + 8);
    formats::Append(chunk, body);
    SetDword(chunk, 4, static_cast<std::uint32_t>(chunk.size()));
    std::uint32_t sum = 0;
    for (std::size_t i = 4; i + 4 <= chunk.size(); i += 4) {
        sum += (std::uint32_t{chunk[i]} << 24) | (std::uint32_t{chunk[i + 1]} << 16) |
               (std::uint32_t{chunk[i + 2]} << 8) | chunk[i + 3];
    }
    SetDword(chunk, 0, sum);
    return chunk;
}

Bytes MakeToneChunk(const std::vector<Bytes>& records) {
    Bytes body{'v', 'e', 'r', 's', 'i', 'o', 'n', 0};
    for (const Bytes& record : records) {
        formats::Append(body, record);
    }
    body.resize(body.size() + 16, 0);  // the end record: index 0, length 16, zero bytes
    body[body.size() - 9] = 16;
    return MakeChunk("TONE", body);
}

Bytes ChainEndMarker() {
    Bytes body(24);
    std::iota(body.begin(), body.end(), std::uint8_t{0xAC});
    return MakeChunk("", body);
}

Bytes PpmHeader(std::string_view text) {
    Bytes header{'P', 'P', 'M', 0};
    formats::Append(header, formats::ToBytes(text.substr(0, 40)));
    header.resize(44, 0);
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
    formats::Append(image, layout.header);
    for (const Bytes& chunk : layout.chunksBefore) {
        formats::Append(image, chunk);
    }
    built.toneOffset = image.size();
    formats::Append(image, layout.toneChunk ? *layout.toneChunk : MakeToneChunk(layout.records));
    built.toneLength = image.size() - built.toneOffset;
    for (const Bytes& chunk : layout.chunksAfter) {
        formats::Append(image, chunk);
    }
    if (layout.endMarker) {
        formats::Append(image, ChainEndMarker());
    }
    built.chainEnd = image.size();
    formats::Append(image, layout.tail);
    image.resize(std::max({image.size(), layout.minimumSize, built.ppmOffset + 65536}), 0xFF);
    return built;
}

Bytes FullSizeImage() {
    ImageLayout layout;
    layout.ppmBlock = 96;
    layout.chunksBefore = {MakeChunk("PROD", Bytes(4096, 0x11))};
    layout.chunksAfter = {MakeChunk("LOGO", Bytes(2048, 0x22))};
    layout.minimumSize = 16 * 1024 * 1024;
    Bytes tone(200, 0x42);
    tone.back() = 0x0B;
    for (std::uint32_t i = 0; i < 300; ++i) {
        layout.records.push_back(
            MakeRecord(TextFormat::Unicode, i + 1, "TONE", "Melody " + std::to_string(i), tone, 2));
    }
    return BuildImage(layout).image;
}

Bytes RandomToneData(std::mt19937& random) {
    Bytes data(Uniform(random, 2, 60));
    std::ranges::generate(data, [&random] { return RandomByte(random); });
    data.back() = RandomByte(random, 0, 254);
    return data;
}

std::string RandomName(std::mt19937& random, TextFormat format) {
    std::string name(Uniform(random, 0, 30), ' ');
    std::ranges::generate(name, [&random] { return static_cast<char>(RandomByte(random, 1, 255)); });
    if (format == TextFormat::Ascii && !name.empty()) {
        name[0] = static_cast<char>(RandomByte(random, 32, 255));
    }
    return name;
}

ImageLayout RandomLayout(std::mt19937& random, TextFormat format, std::size_t maxRecords) {
    ImageLayout layout;
    layout.ppmBlock = Uniform(random, 0, 2);
    for (auto* chunks : {&layout.chunksBefore, &layout.chunksAfter}) {
        for (std::size_t i = Uniform(random, 0, 3); i > 0; --i) {
            const std::string name = std::string("PRODSIMSLOGOFONT").substr(4 * Uniform(random, 0, 3), 4);
            chunks->push_back(MakeChunk(name, RandomToneData(random)));
        }
    }
    for (std::size_t i = Uniform(random, 0, maxRecords); i > 0; --i) {
        const std::string id = std::string("ABCDWXYZ").substr(Uniform(random, 0, 7), Uniform(random, 0, 4));
        layout.records.push_back(MakeRecord(format, static_cast<std::uint32_t>(Uniform(random, 0, 400)), id,
                                            RandomName(random, format), RandomToneData(random), RandomByte(random)));
    }
    layout.tail.resize(Uniform(random, 0, 3000));
    std::ranges::generate(layout.tail, [&random] { return Uniform(random, 0, 3) == 0 ? RandomByte(random) : 0xFF; });
    return layout;
}

}  // namespace belltower::testing
