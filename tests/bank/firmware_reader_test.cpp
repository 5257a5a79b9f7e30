// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/firmware_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "bank/firmware_writer.h"
#include "formats/file_io.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using testing::BuildImage;
using testing::MakeChunk;

Bytes Only(std::vector<Bytes> records, std::vector<Bytes> before = {}) {
    return BuildImage({.chunksBefore = std::move(before), .records = std::move(records)}).image;
}

// A load lists the last TONE chunk in the format of its first record, or fails and leaves the bank as it was.
TEST(LoadFirmware, ListsTheToneChunkOrRejectsTheDamage) {
    const Bytes ok = Melody(kAscii, 1, "Ok");
    const Bytes prod = MakeChunk("PROD", {});
    const std::string x51(0x51, 'x');
    // "PPM" 00 counts only at the start of a whole block, and of two such blocks the first.
    Bytes twoPpm = BuildImage({.ppmBlock = 2, .records = {Melody(kAscii, 1, "Second")}}).image;
    const Bytes good = Only({ok});
    std::copy_n(good.begin(), 1000, twoPpm.begin() + 65536);
    Bytes partBlock = BuildImage({.ppmBlock = 1, .records = {ok}}).image;
    partBlock.resize(65536 + 2000);
    Bytes offBlock(3 * 65536, 0xFF);
    std::copy_n(good.begin(), 2000, offBlock.begin() + 100);
    const std::string noPpm = "image.fls doesn't contain PPM section or is not in Dejan/RAW format!";
    // "version" 00 and a record, with no end record or with eight or nine bytes of one.
    const std::string tone = "76 65 72 73 69 6F 6E 00" + testing::ToHex(ok);
    const Bytes noEnd = MakeChunk("TONE", Hex(tone)), cutEnd = MakeChunk("TONE", Hex(tone + "00000000 00000010")),
                cutEnd9 = MakeChunk("TONE", Hex(tone + "00000000 00000010 00")),
                endWithData = MakeChunk("TONE", Hex(tone + "00000000 00000010 00 01 02 03 04 05 06 07"));
    const struct {
        Bytes image;
        Lines lines;
        TextFormat format = kAscii;
        std::string error = "";  // a part of the expected message
        ErrorCode code = ErrorCode::DamagedData;
    } cases[] = {
        {Only({Melody(kAscii, 1, "Rings")}), {"Rings"}},      // byte 16 = 6 (name-length), byte 17 = 'R'
        {Only({Melody(kUnicode, 1, x51)}), {x51}, kUnicode},  // byte 16 = 0 (purpose), byte 17 = 0x52
        // byte 16 = 2, byte 17 = 5: Unicode; the name-length dword 00 00 02 05 lists 4 characters.
        {Only({Melody(kUnicode, 1, "Tune", "", 2)}), {"Tune"}, kUnicode},
        {Only({}), {}},
        {Only(std::vector<Bytes>(301, ok)), Lines(301, "Ok")},
        {Only({Melody(kAscii, 1, "New")}, {testing::MakeToneChunk({ok})}), {"New"}},
        {twoPpm, {"Ok"}},
        {Bytes(good.begin(), good.begin() + 65535), {}, kAscii, noPpm, ErrorCode::NotFound},
        {partBlock, {}, kAscii, noPpm, ErrorCode::NotFound},
        {offBlock, {}, kAscii, noPpm, ErrorCode::NotFound},
        {Only({ok}, {Patched(prod, 7, "04")}), {}, kAscii, "at byte offset 44 (0x2C) says it is 4 bytes long"},
        {Only({ok}, {Patched(prod, 7, "0B")}), {}, kAscii, "11 bytes long, less than its 12-byte header"},
        {Only({ok}, {Patched(prod, 4, "80")}), {}, kAscii, "above 2147483647"},
        {Only({Patched(ok, 7, "00")}), {}, kAscii, "record at byte offset 64 (0x40) says it is 0 bytes long"},
        {Only({Patched(ok, 7, "0C")}), {}, kAscii, "12 bytes long, less than the 17-byte record header"},
        {Only({Patched(ok, 6, "01 90")}), {}, kAscii, "runs past the end of the TONE chunk"},
        {Only({Patched(ok, 4, "80")}), {}, kAscii, "above 2147483647"},
        {BuildImage({.toneChunk = noEnd}).image, {}, kAscii, "has no end record"},
        {BuildImage({.toneChunk = cutEnd}).image, {}, kAscii, "16 bytes long, less than the 17-byte record header"},
        {BuildImage({.toneChunk = cutEnd9}).image, {}, kAscii, "cut off by the end of the TONE chunk"},
        {BuildImage({.toneChunk = endWithData}).image, {"Ok"}},  // the end record is known by its byte 8
        {Only(std::vector<Bytes>(302, ok)), {}, kAscii, "more than 301 melodies"},
        // A name-length field of 0 in a record of just 17 bytes.
        {Only({ok, Hex("00000001 00000011 20202020 00000000 00")}), {}, kAscii, "Error reading file."},
        {Only({Patched(ok, 16, "C8")}), {}, kAscii, "Melody 1 at byte offset 64"},
        {Only({}, {testing::ChainEndMarker()}), {}, kAscii, "TONE chunk not found!!!", ErrorCode::NotFound},
        // Without a marker behind TONE, the 0xFF padding is read as a chunk length.
        {BuildImage({.records = {ok}, .endMarker = false}).image, {}, kAscii, "above 2147483647"},
    };
    const testing::ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error + (c.lines.empty() ? "" : c.lines[0]));
        ASSERT_TRUE(formats::WriteFileAtomic(dir / "image.fls", c.image));
        ToneBank bank = MakeBank(3, kUnicode);
        const auto loaded = LoadFirmware(dir / "image.fls", bank, false);
        ASSERT_EQ(c.error.empty(), loaded.has_value()) << (loaded ? "" : loaded.error().message);
        if (loaded) {
            EXPECT_EQ(c.format, bank.UnicodeNames);
            EXPECT_EQ(c.lines, bank.Lines);
        } else {
            EXPECT_EQ(c.code, loaded.error().code);
            EXPECT_NE(std::string::npos, loaded.error().message.find(c.error)) << loaded.error().message;
            EXPECT_EQ(MakeBank(3, kUnicode), bank);
        }
    }
    ToneBank bank = MakeBank(3, kUnicode);
    EXPECT_EQ(ErrorCode::Io, LoadFirmware(dir / "missing.fls", bank, true).error().code);
    EXPECT_EQ(MakeBank(3, kUnicode), bank);
}

TEST(FirmwareReader, EveryPrefixShorterThanTheChainFailsCleanly) {
    const testing::ImageLayout layout{.chunksBefore = {MakeChunk("PROD", Bytes(65600, 0x5A))},  // past block 0
                                      .records = {Melody(kAscii, 1, "One"), Melody(kAscii, 2, "Two")},
                                      .chunksAfter = {MakeChunk("LOGO", Bytes(24, 0x11))}};
    const auto built = BuildImage(layout);
    std::size_t damaged = 0;
    for (std::size_t size = 0; size <= built.image.size(); ++size) {
        const auto image = ReadFirmwareImage(ByteView(built.image).first(size), "f");
        ASSERT_EQ(size >= built.chainEnd, image.has_value()) << "prefix of " << size << " bytes";
        damaged += !image && image.error().code == ErrorCode::DamagedData ? 1u : 0u;
    }
    // Cuts inside the TONE chunk and the marker are damage; earlier ones find no TONE chunk.
    EXPECT_EQ(built.chainEnd - built.toneOffset - 1, damaged);
    // An image ending with its marker is still a firmware, saved whole without a question.
    ASSERT_EQ(built.image.size(), built.chainEnd);
    const ToneBank bank = LoadedBank(layout);
    EXPECT_BYTES_EQ(built.image, BuildFirmwareImage(bank));
    EXPECT_TRUE(SaveWarnings(bank).empty());
}

// Loading (from a view, a buffer or a file) and saving an unchanged bank gives every byte of the
// image back, and leaves the flash behind the chain as it was.
TEST(FirmwareReader, LoadThenSaveGivesTheSameImage) {
    std::mt19937 random(20240611);
    const testing::ScratchDir dir;
    for (int n = 0; n < 200; ++n) {
        SCOPED_TRACE(n);
        const TextFormat format = n % 2 == 0 ? kAscii : kUnicode;
        const auto layout = testing::RandomLayout(random, format);
        const auto built = BuildImage(layout);
        if (n % 10 == 0) {
            ASSERT_TRUE(formats::WriteFileAtomic(dir / "f", built.image));
        }
        auto image = n % 10 == 0  ? ReadFirmwareFile(dir / "f", "f", kMaxImageBytes, "")
                     : n % 3 == 0 ? ReadFirmwareImage(Bytes(built.image), "f")
                                  : ReadFirmwareImage(built.image, "f");
        ASSERT_TRUE(image) << image.error().message;
        ASSERT_EQ(layout.records.empty() ? kAscii : format, image->format);
        ASSERT_EQ(layout.records, image->records);
        // The middle runs from the end of the TONE chunk to the end of the marker.
        ASSERT_EQ(std::tuple(built.ppmOffset, built.toneOffset, built.chainEnd,
                             built.chainEnd - built.toneOffset - built.toneLength),
                  std::tuple(image->ppmOffset, image->toneOffset, image->chainEnd, image->middle.size()));
        ToneBank bank;
        (void)ApplyFirmwareImage(bank, std::move(*image), false);
        ASSERT_BYTES_EQ(built.image, BuildFirmwareImage(bank));
        const ChainFit fit = FitChain(bank);
        ASSERT_EQ(std::tuple(0u, 0u, 0u, 0u), std::tuple(fit.freed, fit.overwritten, fit.overwrittenData, fit.grownBy));
    }
}

// Keep ticked: between images of one format the melodies stay and the surroundings are the new
// image's; between formats keep is unticked with the message and the image's melodies come.
TEST(FirmwareReader, KeepsTheBankOnlyBetweenImagesOfOneFormat) {
    ToneBank bank = LoadedBank({.records = {Melody(kAscii, 1, "Alpha"), Melody(kAscii, 2, "Be")}});
    const ToneBank first = bank;
    auto outcome = ApplyFirmwareImage(
        bank, *ReadFirmwareImage(BuildImage({.ppmBlock = 2, .header = testing::PpmHeader("other")}).image, "f"), true);
    EXPECT_TRUE(outcome.keepBank && outcome.messages.empty());
    EXPECT_EQ("PPM other" + std::string(35, ' ') + "[ASCII]", HeaderCaption(bank));
    EXPECT_EQ(first.Records, ReadFirmwareImage(BuildFirmwareImage(bank), "f")->records);
    EXPECT_EQ(first.Lines, bank.Lines);
    outcome = ApplyFirmwareImage(bank, *ReadFirmwareImage(Only({Melody(kUnicode, 5, "U")}), "f"), true);
    EXPECT_FALSE(outcome.keepBank);
    EXPECT_EQ(Lines{std::string(kDifferentFormats)}, outcome.messages);
    EXPECT_EQ(Lines{"U"}, bank.Lines);
    EXPECT_TRUE(bank.IsUnicode());
}

}  // namespace
}  // namespace belltower::bank
