// Smart Messaging ringing tones (.ott): the bit-packed over-the-air format of Nokia phones.
#pragma once

#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "melody/melody_fields.h"

namespace belltower::interchange {

struct OttImport {
    melody::MelodyFields fields;
    std::vector<std::string> warnings;  // what the edit fields cannot hold, one sentence each
};

// Reads an .ott file into the edit fields.
formats::Result<OttImport> ReadOtt(formats::ByteView bytes);

struct OttExport {
    formats::Bytes bytes;
    std::vector<std::string> warnings;  // what was rounded or dropped, one sentence each
};

// Writes the melody of the edit fields as an .ott file.
formats::Result<OttExport> WriteOtt(const melody::MelodyFields& fields);

// True when the bytes begin as an .ott file does, for telling inputs apart by content.
bool LooksLikeOtt(formats::ByteView bytes);

}  // namespace belltower::interchange
