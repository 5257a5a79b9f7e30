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
using testing::ImageLayout;
using testing::MakeChunk;

// A chain longer than the first block, so that cutting the file can end it anywhere.
ImageLayout LongChain() {
    return {.chunksBefore = {MakeChunk("PROD", Bytes(65600, 0x5A))},
            .records = {Melody(TextFormat::Ascii, 1, "One"), Melody(TextFormat::Ascii, 2, "Two")},
            .chunksAfter = {MakeChunk("LOGO", Bytes(24, 0x11))},
            .tail = Hex("AA BB CC DD")};
}

TEST(FirmwareReader, ListsTheLastToneChunkInTheFormatOfItsFirstRecord) {
    const auto only = [](std::vector<Bytes> records) { return BuildImage({.records = std::move(records)}).image; };
    Bytes twoPpm = BuildImage({.ppmBlock = 2, .records = {Melody(TextFormat::Ascii, 1, "Second")}}).image;
    const Bytes first = only({Melody(TextFormat::Ascii, 1, "A")});
    std::copy_n(first.begin(), 1000, twoPpm.begin() + 65536);
    const Bytes twoTone = BuildImage({.chunksBefore = {testing::MakeToneChunk({Melody(TextFormat::Ascii, 1, "Old")})},
                                      .records = {Melody(TextFormat::Ascii, 1, "New")}})
                              .image;
    const std::string x51(0x51, 'x');
    const struct {
        Bytes image;
        TextFormat format;
        Lines lines;
    } cases[] = {
        // byte 16 = 6 (name-length), byte 17 = 'R': ASCII.
        {only({Melody(TextFormat::Ascii, 1, "Rings")}), TextFormat::Ascii, {"Rings"}},
        // byte 16 = 0 (purpose): Unicode whatever byte 17 holds (here 0x52).
        {only({Melody(TextFormat::Unicode, 1, x51)}), TextFormat::Unicode, {x51}},
        // byte 16 = 2, byte 17 = 5: Unicode; the name-length dword 00 00 02 05 lists 4 characters.
        {only({Melody(TextFormat::Unicode, 1, "Tune", "", 2)}), TextFormat::Unicode, {"Tune"}},
        // Name-length dword 00 00 00 06: the 10 bytes from offset 18, shown as 5 characters.
        {only({Melody(TextFormat::Unicode, 1, "Hello")}), TextFormat::Unicode, {"Hello"}},
        {only({}), TextFormat::Ascii, {}},
        {only(std::vector<Bytes>(301, Melody(TextFormat::Ascii, 1, "Ok"))), TextFormat::Ascii, Lines(301, "Ok")},
        {twoTone, TextFormat::Ascii, {"New"}},
        {twoPpm, TextFormat::Ascii, {"A"}},  // of two blocks starting with "PPM", the first counts
    };
    for (const auto& c : cases) {
        const auto image = ReadFirmwareImage(c.image, "f");
        ASSERT_TRUE(image) << image.error().message;
        EXPECT_EQ(c.format, image->format);
        EXPECT_EQ(c.lines, image->lines);
    }
}

TEST(FirmwareReader, RejectsDamagedImagesAndTheLoadLeavesTheBankAlone) {
    const Bytes ok = Melody(TextFormat::Ascii, 1, "Ok");
    const Bytes prod = MakeChunk("PROD", {});
    const auto chain = [](std::vector<Bytes> before, std::vector<Bytes> records) {
        return BuildImage({.chunksBefore = std::move(before), .records = std::move(records)}).image;
    };
    // "PPM" 00 counts only at the start of a whole block.
    const Bytes good = chain({}, {ok});
    Bytes partBlock = BuildImage({.ppmBlock = 1, .records = {ok}}).image;
    partBlock.resize(65536 + 2000);
    Bytes offBlock(3 * 65536, 0xFF);
    std::copy_n(good.begin(), 2000, offBlock.begin() + 100);
    const std::string noPpm = "image.fls doesn't contain PPM section or is not in Dejan/RAW format!";
    Bytes noEnd(testing::DefaultToneVersion().begin(), testing::DefaultToneVersion().end());
    formats::Append(noEnd, ok);
    const struct {
        const char* what;
        Bytes image;
        ErrorCode code;
        std::string message;  // a part of the expected message
    } cases[] = {
        {"file shorter than a block", Bytes(good.begin(), good.begin() + 65535), ErrorCode::NotFound, noPpm},
        {"PPM in a partial last block", partBlock, ErrorCode::NotFound, noPpm},
        {"PPM off a block start", offBlock, ErrorCode::NotFound, noPpm},
        {"chunk length below 12", chain({Patched(prod, 7, "04")}, {ok}), ErrorCode::DamagedData,
         "at byte offset 44 (0x2C) says it is 4 bytes long, less than its 12-byte header"},
        {"chunk length above 2^31", chain({Patched(prod, 4, "80")}, {ok}), ErrorCode::DamagedData, "above 2147483647"},
        {"record length 0", chain({}, {Patched(ok, 7, "00")}), ErrorCode::DamagedData,
         "record at byte offset 64 (0x40) says it is 0 bytes long"},
        {"record shorter than its header", chain({}, {Patched(ok, 7, "0C")}), ErrorCode::DamagedData,
         "less than the 17-byte record header"},
        {"record past the chunk", chain({}, {Patched(ok, 6, "01 90")}), ErrorCode::DamagedData,
         "runs past the end of the TONE chunk"},
        {"record length above 2^31", chain({}, {Patched(ok, 4, "80")}), ErrorCode::DamagedData, "above 2147483647"},
        {"no end record", BuildImage({.toneChunk = MakeChunk("TONE", noEnd)}).image, ErrorCode::DamagedData,
         "has no end record"},
        {"302 records", chain({}, std::vector<Bytes>(302, ok)), ErrorCode::DamagedData, "more than 301 melodies"},
        {"name-length field 0", chain({}, {ok, Patched(ok, 16, "00")}), ErrorCode::DamagedData, "Error reading file."},
        {"name past the record", chain({}, {Patched(ok, 16, "C8")}), ErrorCode::DamagedData,
         "Melody 1 at byte offset 64"},
        {"marker before TONE", chain({testing::ChainEndMarker()}, {}), ErrorCode::NotFound, "TONE chunk not found!!!"},
        {"no marker behind TONE", BuildImage({.records = {ok}, .endMarker = false}).image, ErrorCode::DamagedData,
         "above 2147483647"},  // the 0xFF padding read as a chunk length
    };
    const ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(formats::WriteFileAtomic(dir.path / "image.fls", c.image));
        ToneBank bank = MakeBank(3, TextFormat::Unicode);
        const auto loaded = LoadFirmware(dir.path / "image.fls", bank, false);
        ASSERT_FALSE(loaded);
        EXPECT_EQ(c.code, loaded.error().code);
        EXPECT_NE(std::string::npos, loaded.error().message.find(c.message)) << loaded.error().message;
        EXPECT_EQ(MakeBank(3, TextFormat::Unicode), bank);
    }
    ToneBank bank = MakeBank(3, TextFormat::Unicode);
    const auto missing = LoadFirmware(dir.path / "missing.fls", bank, true);
    ASSERT_FALSE(missing);
    EXPECT_EQ(ErrorCode::Io, missing.error().code);
    EXPECT_EQ(MakeBank(3, TextFormat::Unicode), bank);
}

TEST(FirmwareReader, EveryPrefixShorterThanTheChainFailsCleanly) {
    const auto built = BuildImage(LongChain());
    std::size_t damaged = 0;
    for (std::size_t size = 0; size <= built.image.size(); ++size) {
        const auto image = ReadFirmwareImage(ByteView(built.image).first(size), "f");
        ASSERT_EQ(size >= built.chainEnd, image.has_value()) << "prefix of " << size << " bytes";
        damaged += !image && image.error().code == ErrorCode::DamagedData ? 1u : 0u;
    }
    // Cuts inside the TONE chunk and the marker are damage; earlier ones find no TONE chunk.
    EXPECT_EQ(built.chainEnd - built.toneOffset - 1, damaged);
}

TEST(FirmwareReader, LoadThenSaveGivesTheSameImage) {
    std::mt19937 random(20240611);
    for (int n = 0; n < 200; ++n) {
        const TextFormat format = n % 2 == 0 ? TextFormat::Ascii : TextFormat::Unicode;
        const auto layout = testing::RandomLayout(random, format);
        const auto built = BuildImage(layout);
        const auto image = ReadFirmwareImage(built.image, "f");
        ASSERT_TRUE(image) << "image " << n << ": " << image.error().message;
        ASSERT_EQ(layout.records.empty() ? TextFormat::Ascii : format, image->format);
        ASSERT_EQ(layout.records, image->records);
        // The pieces: the middle runs from the end of the TONE chunk to the end of the marker.
        ASSERT_EQ(std::tuple(built.ppmOffset, built.toneOffset, built.chainEnd,
                             built.chainEnd - built.toneOffset - built.toneLength),
                  std::tuple(image->ppmOffset, image->toneOffset, image->chainEnd, image->middle.size()));
        ToneBank bank;
        (void)ApplyFirmwareImage(bank, *image, false);
        ASSERT_BYTES_EQ(built.image, BuildFirmwareImage(bank)) << "image " << n;
    }
}

TEST(FirmwareReader, AnImageEndingWithItsMarkerIsStillAFirmware) {
    ImageLayout layout = LongChain();
    layout.tail.clear();
    const auto built = BuildImage(layout);
    ASSERT_EQ(built.image.size(), built.chainEnd);
    const ToneBank bank = LoadedBank(layout);
    EXPECT_BYTES_EQ(built.image, BuildFirmwareImage(bank));
    EXPECT_TRUE(SaveWarnings(bank).empty());  // nothing about a missing firmware
}

TEST(FirmwareReader, KeepsTheBankOnlyBetweenImagesOfOneFormat) {
    const auto other = BuildImage({.ppmBlock = 2,
                                   .header = testing::PpmHeader("other"),
                                   .records = {Melody(TextFormat::Ascii, 5, "X"), Melody(TextFormat::Ascii, 6, "Y")}});
    ToneBank bank =
        LoadedBank({.records = {Melody(TextFormat::Ascii, 1, "Alpha"), Melody(TextFormat::Ascii, 2, "Be")}});
    const ToneBank first = bank;

    // Same format, keep ticked: the melodies stay, the surroundings are the new image's.
    auto outcome = ApplyFirmwareImage(bank, *ReadFirmwareImage(other.image, "f"), true);
    EXPECT_TRUE(outcome.keepBank);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(first.Lines, bank.Lines);
    EXPECT_EQ("PPM other" + std::string(35, ' ') + "[ASCII]", HeaderCaption(bank));
    EXPECT_EQ(first.Records, ReadFirmwareImage(BuildFirmwareImage(bank), "f")->records);

    // Other format: keep is unticked with the message and the image's melodies are loaded.
    const auto unicode = BuildImage({.records = {Melody(TextFormat::Unicode, 5, "U")}});
    outcome = ApplyFirmwareImage(bank, *ReadFirmwareImage(unicode.image, "f"), true);
    EXPECT_FALSE(outcome.keepBank);
    EXPECT_EQ(Lines{std::string(kDifferentFormats)}, outcome.messages);
    EXPECT_EQ(Lines{"U"}, bank.Lines);
    EXPECT_TRUE(bank.IsUnicode());
}

}  // namespace
}  // namespace belltower::bank
