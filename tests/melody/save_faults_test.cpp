// SPDX-License-Identifier: GPL-3.0-or-later
// A failed RE save leaves the file it would have replaced byte for byte.
#include <gtest/gtest.h>

#include "melody/tone_encoder.h"
#include "support/save_faults.h"

namespace belltower::melody {
namespace {

TEST(ReSave, AFailedWriteLeavesTheTargetAsItWas) {
    testing::ExpectFaultKeepsTarget(
        [](const std::filesystem::path& path, const formats::WriteFault* fault) -> std::optional<formats::Error> {
            MelodyFields fields;
            fields.name = "Saved";
            fields.notes = "4c 8d# 2e. t200 1g";
            const EncodeFileResult result =
                EncodeMelodyFile(path, fields, formats::TextFormat::Unicode, std::nullopt, fault);
            EXPECT_TRUE(result.encoded.record.has_value());
            return result.Saved() ? std::nullopt : std::optional(result.Failure());
        });
}

}  // namespace
}  // namespace belltower::melody
