// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/save_faults.h"

#include <gtest/gtest.h>

#include <iterator>

#include "support/hex.h"
#include "support/scratch_dir.h"

namespace belltower::testing {

void ExpectFaultKeepsTarget(const SaveCall& save) {
    const ScratchDir dir("savefault");
    const auto fresh = save(dir / "fresh", nullptr);
    ASSERT_FALSE(fresh.has_value()) << "the save fails even in a writable folder: " << fresh->message;
    const std::size_t size = formats::ReadFileBytes(dir / "fresh")->size();
    ASSERT_GT(size, 1u);
    const formats::WriteFault atEnd{size};  // a fault after the last byte never fires
    ASSERT_FALSE(save(dir / "fresh", &atEnd).has_value());

    const formats::Bytes old = Hex("4F 4C 44 00 FF");
    ASSERT_TRUE(formats::WriteFileAtomic(dir / "target", old));
    const formats::WriteFault halfWay{size / 2};
    const auto failure = save(dir / "target", &halfWay);
    ASSERT_TRUE(failure.has_value()) << "the save reported success";
    EXPECT_EQ(formats::ErrorCode::Io, failure->code) << failure->message;
    EXPECT_BYTES_EQ(old, *formats::ReadFileBytes(dir / "target"));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.path()), {}));  // no temporary file left
}

}  // namespace belltower::testing
