#include "bank/firmware_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "bank/firmware_writer.h"
#include "formats/file_io.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::TextFormat;
using testing::BuildImage;
using testing::Hex;
using testing::ImageLayout;
using testing::MakeChunk;
using testing::MakeToneChunk;

ImageLayout ThreeMelodies(TextFormat format) {
    ImageLayout layout;
    layout.ppmBlock = 1;
    layout.chunksBefore = {MakeChunk("PROD", Hex("01 02 03 04"))};
    layout.records = {Melody(format, 1, "Alpha"), Melody(format, 2, "Be"), Melody(format, 3, "")};
    layout.chunksAfter = {MakeChunk("LOGO", Bytes(20, 0x11)), MakeChunk("FONT", Bytes(8, 0x22))};
    layout.tail = Hex("12 34 56");
    return layout;
}

// A chain longer than the first block, so that cutting the file can end it anywhere.
ImageLayout LongChain() {
    ImageLayout layout;
    layout.chunksBefore = {MakeChunk("PROD", Bytes(65600, 0x5A))};
    layout.records = {Melody(TextFormat::Ascii, 1, "One"), Melody(TextFormat::Ascii, 2, "Two")};
    layout.chunksAfter = {MakeChunk("LOGO", Bytes(24, 0x11))};
    layout.tail = Hex("AA BB CC DD");
    return layout;
}

TEST(FirmwareReader, TakesAnImageApartInBothFormats) {
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
        const auto layout = ThreeMelodies(format);
        const auto built = BuildImage(layout);
        const auto image = ReadFirmwareImage(built.image, "x.fls");
        ASSERT_TRUE(image) << image.error().message;
        EXPECT_EQ(format, image->format);
        EXPECT_EQ(65536u, image->ppmOffset);
        EXPECT_EQ(built.toneOffset, image->toneOffset);
        EXPECT_EQ(built.chainEnd, image->chainEnd);
        EXPECT_BYTES_EQ(ByteView(built.image).first(built.toneOffset), image->head);
        // Middle: the two chunks behind TONE and the 36-byte marker.
        EXPECT_EQ(32u + 20u + 36u, image->middle.size());
        EXPECT_BYTES_EQ(ByteView(built.image).subspan(built.chainEnd), image->tail);
        EXPECT_EQ(layout.records, image->records);
        EXPECT_EQ((std::vector<std::string>{"Alpha", "Be", ""}), image->lines);
        EXPECT_EQ("PPM NHM-5 V 5.31 synthetic test image" + std::string(7, ' '), image->headerText);
    }
}

TEST(FirmwareReader, TakingOverTheBufferGivesTheSamePieces) {
    ImageLayout bigTail = ThreeMelodies(TextFormat::Ascii);
    bigTail.tail.assign(70000, 0x77);
    ImageLayout bigHead = ThreeMelodies(TextFormat::Ascii);
    bigHead.ppmBlock = 3;
    for (const auto& layout : {bigTail, bigHead}) {
        const Bytes image = BuildImage(layout).image;
        const auto copied = ReadFirmwareImage(ByteView(image), "f");
        auto taken = ReadFirmwareImage(Bytes(image), "f");
        ASSERT_TRUE(copied);
        ASSERT_TRUE(taken);
        EXPECT_BYTES_EQ(copied->head, taken->head);
        EXPECT_BYTES_EQ(copied->middle, taken->middle);
        EXPECT_BYTES_EQ(copied->tail, taken->tail);
        EXPECT_EQ(copied->records, taken->records);
    }
}

TEST(FirmwareReader, SearchesOnlyTheStartsOfWholeBlocks) {
    ImageLayout small;
    small.records = {Melody(TextFormat::Ascii, 1, "A")};
    Bytes shortFile = BuildImage(small).image;
    shortFile.resize(65535);

    ImageLayout inLastBlock = small;
    inLastBlock.ppmBlock = 1;
    Bytes partBlock = BuildImage(inLastBlock).image;
    partBlock.resize(65536 + 2000);

    Bytes offBlock(3 * 65536, 0xFF);
    const Bytes good = BuildImage(small).image;
    std::copy(good.begin(), good.begin() + 2000, offBlock.begin() + 100);

    for (const Bytes& file : {shortFile, partBlock, offBlock}) {
        const auto image = ReadFirmwareImage(file, "C:\\fw\\a.fls");
        ASSERT_FALSE(image);
        EXPECT_EQ(ErrorCode::NotFound, image.error().code);
        EXPECT_EQ("C:\\fw\\a.fls doesn't contain PPM section or is not in Dejan/RAW format!", image.error().message);
    }

    // Two matching blocks: the first counts.
    ImageLayout second = small;
    second.ppmBlock = 2;
    second.records = {Melody(TextFormat::Ascii, 1, "Second")};
    Bytes both = BuildImage(second).image;
    std::copy(good.begin(), good.begin() + 1000, both.begin() + 65536);
    const auto image = ReadFirmwareImage(both, "b.fls");
    ASSERT_TRUE(image);
    EXPECT_EQ(65536u, image->ppmOffset);
    EXPECT_EQ(std::vector<std::string>{"A"}, image->lines);
}

TEST(FirmwareReader, TellsTheTextFormatFromTheFirstRecord) {
    const struct {
        Bytes first;
        TextFormat expected;
        std::string line;
    } cases[] = {
        // byte 16 = 6 (name-length), byte 17 = 'R': ASCII.
        {Melody(TextFormat::Ascii, 1, "Rings"), TextFormat::Ascii, "Rings"},
        // byte 16 = 0 (purpose): Unicode whatever byte 17 holds (here 0x52).
        {Melody(TextFormat::Unicode, 1, std::string(0x51, 'x'), "", 0), TextFormat::Unicode, std::string(0x51, 'x')},
        // byte 16 = 2, byte 17 = 5: Unicode; the name-length dword 00 00 02 05 lists 4 characters.
        {Melody(TextFormat::Unicode, 1, "Tune", "", 2), TextFormat::Unicode, "Tune"},
        // Name-length dword 00 00 00 06: the 10 bytes from offset 18, shown as 5 characters.
        {Melody(TextFormat::Unicode, 1, "Hello", "", 0), TextFormat::Unicode, "Hello"},
    };
    for (const auto& c : cases) {
        ImageLayout layout;
        layout.records = {c.first};
        const auto image = ReadFirmwareImage(BuildImage(layout).image, "f");
        ASSERT_TRUE(image) << image.error().message;
        EXPECT_EQ(c.expected, image->format);
        EXPECT_EQ(std::vector<std::string>{c.line}, image->lines);
    }
}

TEST(FirmwareReader, TheLastToneChunkOfTheChainCounts) {
    ImageLayout layout;
    layout.chunksBefore = {MakeToneChunk({Melody(TextFormat::Ascii, 1, "Old")})};
    layout.records = {Melody(TextFormat::Ascii, 1, "New")};
    const auto built = BuildImage(layout);
    const auto image = ReadFirmwareImage(built.image, "f");
    ASSERT_TRUE(image);
    EXPECT_EQ(built.toneOffset, image->toneOffset);
    EXPECT_EQ(std::vector<std::string>{"New"}, image->lines);
}

TEST(FirmwareReader, AnEmptyToneChunkIsAnEmptyAsciiBank) {
    ImageLayout layout;
    const auto built = BuildImage(layout);
    ASSERT_EQ(36u, built.toneLength);
    const auto image = ReadFirmwareImage(built.image, "f");
    ASSERT_TRUE(image) << image.error().message;
    EXPECT_EQ(TextFormat::Ascii, image->format);
    EXPECT_TRUE(image->records.empty());
}

Bytes WithLength(Bytes record, std::uint32_t length) {
    record[4] = static_cast<std::uint8_t>(length >> 24);
    record[5] = static_cast<std::uint8_t>(length >> 16);
    record[6] = static_cast<std::uint8_t>(length >> 8);
    record[7] = static_cast<std::uint8_t>(length);
    return record;
}

struct DamagedCase {
    const char* what;
    ImageLayout layout;
    ErrorCode code;
    std::string message; // a part of the expected message
};

std::vector<DamagedCase> DamagedCases() {
    const Bytes ok = Melody(TextFormat::Ascii, 1, "Ok");
    const auto chain = [](std::vector<Bytes> before, std::vector<Bytes> records) {
        ImageLayout layout;
        layout.chunksBefore = std::move(before);
        layout.records = std::move(records);
        return layout;
    };
    const auto tone = [](Bytes chunk) {
        ImageLayout layout;
        layout.toneChunk = std::move(chunk);
        return layout;
    };
    Bytes shortChunk = MakeChunk("PROD", {});
    shortChunk[7] = 4;
    Bytes zeroChunk = shortChunk;
    zeroChunk[7] = 0;
    Bytes hugeChunk = shortChunk;
    hugeChunk[4] = 0x80;
    Bytes nameZero = ok;
    nameZero[16] = 0;
    Bytes nameTooLong = ok;
    nameTooLong[16] = 200;
    Bytes noEnd = testing::MakeChunk("TONE", [&] {
        Bytes body(testing::DefaultToneVersion().begin(), testing::DefaultToneVersion().end());
        formats::Append(body, ok);
        return body;
    }());
    ImageLayout markerFirst;
    markerFirst.chunksBefore = {testing::ChainEndMarker()};
    ImageLayout noMarker = chain({}, {ok});
    noMarker.endMarker = false;
    std::vector<Bytes> tooMany(302, ok);
    return {
        {"chunk length below 12", chain({shortChunk}, {ok}), ErrorCode::DamagedData, "less than its 12-byte header"},
        {"chunk length 0", chain({zeroChunk}, {ok}), ErrorCode::DamagedData, "at byte offset 44 (0x2C) says it is 0"},
        {"chunk length above 2^31", chain({hugeChunk}, {ok}), ErrorCode::DamagedData, "above 2147483647"},
        {"record length 0", chain({}, {WithLength(ok, 0)}), ErrorCode::DamagedData,
         "record at byte offset 64 (0x40) says it is 0 bytes long"},
        {"record shorter than its header", chain({}, {WithLength(ok, 12)}), ErrorCode::DamagedData,
         "less than the 17-byte record header"},
        {"record past the chunk", chain({}, {WithLength(ok, 400)}), ErrorCode::DamagedData,
         "runs past the end of the TONE chunk"},
        {"record length above 2^31", chain({}, {WithLength(ok, 0x80000000)}), ErrorCode::DamagedData,
         "above 2147483647"},
        {"no end record", tone(noEnd), ErrorCode::DamagedData, "has no end record"},
        {"302 records", chain({}, tooMany), ErrorCode::DamagedData, "more than 301 melodies"},
        {"name-length field 0", chain({}, {ok, nameZero}), ErrorCode::DamagedData, "Error reading file."},
        {"name past the record", chain({}, {nameTooLong}), ErrorCode::DamagedData, "Melody 1 at byte offset 64"},
        {"marker before TONE", markerFirst, ErrorCode::NotFound, "TONE chunk not found!!!"},
        {"no marker behind TONE", noMarker, ErrorCode::DamagedData, "above 2147483647"}, // 0xFF padding
    };
}

class FirmwareLoad : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("belltower-bank-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const Bytes& image) {
        const auto path = dir_ / "image.fls";
        EXPECT_TRUE(formats::WriteFileAtomic(path, image));
        return path;
    }

    // A bank with a loaded image, to see that failed loads leave it alone.
    static ToneBank LoadedBank() {
        ToneBank bank;
        const auto image = ReadFirmwareImage(BuildImage(ThreeMelodies(TextFormat::Unicode)).image, "f");
        (void)ApplyFirmwareImage(bank, *image, false);
        return bank;
    }

    std::filesystem::path dir_;
};

TEST_F(FirmwareLoad, RejectsDamagedImagesAndLeavesTheBankAlone) {
    for (const auto& c : DamagedCases()) {
        SCOPED_TRACE(c.what);
        ToneBank bank = LoadedBank();
        const ToneBank before = bank;
        const auto loaded = LoadFirmware(Write(BuildImage(c.layout).image), bank, false);
        ASSERT_FALSE(loaded);
        EXPECT_EQ(c.code, loaded.error().code);
        EXPECT_NE(std::string::npos, loaded.error().message.find(c.message)) << loaded.error().message;
        EXPECT_EQ(before, bank);
    }
    ToneBank bank = LoadedBank();
    const ToneBank before = bank;
    const auto missing = LoadFirmware(dir_ / "missing.fls", bank, true);
    ASSERT_FALSE(missing);
    EXPECT_EQ(ErrorCode::Io, missing.error().code);
    EXPECT_EQ(before, bank);
}

TEST_F(FirmwareLoad, ReadsUpTo301Melodies) {
    ImageLayout layout;
    layout.records.assign(301, Melody(TextFormat::Ascii, 1, "Ok"));
    const auto image = ReadFirmwareImage(BuildImage(layout).image, "f");
    ASSERT_TRUE(image);
    EXPECT_EQ(301u, image->records.size());
}

TEST(FirmwareReader, EveryPrefixShorterThanTheChainFailsCleanly) {
    const auto built = BuildImage(LongChain());
    ASSERT_GT(built.toneOffset, 65536u);
    std::size_t damaged = 0;
    for (std::size_t size = 0; size <= built.image.size(); ++size) {
        const auto image = ReadFirmwareImage(ByteView(built.image).first(size), "f");
        if (size >= built.chainEnd) {
            ASSERT_TRUE(image) << "prefix of " << size << " bytes: " << image.error().message;
            EXPECT_EQ(2u, image->records.size());
        } else {
            ASSERT_FALSE(image) << "prefix of " << size << " bytes";
            damaged += image.error().code == ErrorCode::DamagedData ? 1u : 0u;
        }
    }
    // Cuts inside the TONE chunk and the marker are damage; earlier ones find no TONE chunk.
    EXPECT_EQ(built.chainEnd - built.toneOffset - 1, damaged);
}

TEST(FirmwareReader, SurvivesCorruptedChainBytes) {
    std::mt19937 random(99);
    ImageLayout layout = ThreeMelodies(TextFormat::Unicode);
    layout.ppmBlock = 0;
    const auto built = BuildImage(layout);
    std::uniform_int_distribution<std::size_t> where(built.ppmOffset, built.chainEnd - 1);
    for (int n = 0; n < 1500; ++n) {
        Bytes image = built.image;
        for (int k = 0; k < 1 + n % 3; ++k) {
            image[where(random)] = static_cast<std::uint8_t>(random());
        }
        auto read = ReadFirmwareImage(image, "f");
        if (read) { // whatever is read must save without trouble
            ToneBank bank;
            (void)ApplyFirmwareImage(bank, std::move(*read), false);
            EXPECT_FALSE(BuildFirmwareImage(bank).empty());
        }
    }
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
    ToneBank bank;
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(built.image, "f"), false);
    EXPECT_TRUE(bank.FirmwareTail.empty());
    EXPECT_TRUE(bank.FirmwareLoaded);
    EXPECT_BYTES_EQ(built.image, BuildFirmwareImage(bank));
    for (const auto& warning : SaveWarnings(bank)) {
        EXPECT_NE(kNoFirmwareLoaded, warning.text);
    }
}

TEST(FirmwareReader, KeepsTheBankOnlyBetweenImagesOfOneFormat) {
    const auto first = BuildImage(ThreeMelodies(TextFormat::Ascii));
    ImageLayout otherLayout;
    otherLayout.ppmBlock = 2;
    otherLayout.header = testing::PpmHeader("other");
    otherLayout.records = {Melody(TextFormat::Ascii, 5, "X"), Melody(TextFormat::Ascii, 6, "Y")};
    const auto other = BuildImage(otherLayout);
    ImageLayout unicodeLayout = otherLayout;
    unicodeLayout.records = {Melody(TextFormat::Unicode, 5, "U")};
    const auto unicode = BuildImage(unicodeLayout);

    ToneBank bank;
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(first.image, "f"), false);
    const ToneBank afterFirst = bank;

    // Same format, keep ticked: the melodies stay, the surroundings are the new image's.
    auto outcome = ApplyFirmwareImage(bank, *ReadFirmwareImage(other.image, "f"), true);
    EXPECT_TRUE(outcome.keepBank);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(afterFirst.Records, bank.Records);
    EXPECT_EQ(afterFirst.Lines, bank.Lines);
    EXPECT_EQ("PPM other" + std::string(35, ' ') + "[ASCII]", HeaderCaption(bank));
    const Bytes saved = BuildFirmwareImage(bank);
    EXPECT_BYTES_EQ(ByteView(other.image).first(other.toneOffset), ByteView(saved).first(other.toneOffset));
    EXPECT_EQ(afterFirst.Records, ReadFirmwareImage(saved, "f")->records);

    // Other format: keep is unticked with the message and the image's melodies are loaded.
    outcome = ApplyFirmwareImage(bank, *ReadFirmwareImage(unicode.image, "f"), true);
    EXPECT_FALSE(outcome.keepBank);
    EXPECT_EQ(std::vector<std::string>{std::string(kDifferentFormats)}, outcome.messages);
    EXPECT_EQ(std::vector<std::string>{"U"}, bank.Lines);
    EXPECT_EQ("1", CountText(bank));
    EXPECT_TRUE(bank.IsUnicode());

    // Without keep, a load of 2 melodies after one of 3 leaves exactly 2.
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(first.image, "f"), false);
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(other.image, "f"), false);
    EXPECT_EQ(2u, bank.Count());
    EXPECT_EQ(2u, ReadFirmwareImage(BuildFirmwareImage(bank), "f")->records.size());
}

} // namespace
} // namespace belltower::bank
