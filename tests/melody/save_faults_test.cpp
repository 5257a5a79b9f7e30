// A failed RE save leaves the file it would have replaced byte for byte.
#include <gtest/gtest.h>

#include "formats/names.h"
#include "melody/tone_encoder.h"
#include "support/save_faults.h"

namespace belltower::melody {
namespace {

testing::SaveCall SaveRe(formats::TextFormat form) {
    return
        [form](const std::filesystem::path& path, const formats::WriteFault* fault) -> std::optional<formats::Error> {
            MelodyFields fields;
            fields.name = "Saved";
            fields.notes = "4c 8d# 2e. t200 1g";
            const EncodeFileResult result = EncodeMelodyFile(path, fields, form, std::nullopt, fault);
            EXPECT_TRUE(result.encoded.record.has_value());
            return result.Saved() ? std::nullopt : std::optional(result.Failure());
        };
}

TEST(ReSave, FailedWritesLeaveTheTargetAsItWas) {
    for (const auto form : {formats::TextFormat::Ascii, formats::TextFormat::Unicode}) {
        SCOPED_TRACE(form == formats::TextFormat::Ascii ? "ASCII" : "Unicode");
        testing::ExpectFailedSavesLeaveTargets(SaveRe(form));
    }
}

TEST(ReSave, ReadOnlyFolderKeepsTheTarget) {
    if (!testing::PermissionBitsStopWrites()) {
        GTEST_SKIP() << "running as root: permission bits do not stop writes";
    }
    testing::ExpectReadOnlyFolderKeepsTarget(SaveRe(formats::TextFormat::Ascii));
}

}  // namespace
}  // namespace belltower::melody
