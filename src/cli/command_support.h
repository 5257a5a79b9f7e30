// SPDX-License-Identifier: GPL-3.0-or-later
// What several groups of commands share: melodies given either as an RE file or as ringtone
// text, the ringtone text encoded as the window's edit fields encode it, and the choice of a
// text format on the command line.
#pragma once

#include <optional>
#include <span>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/console.h"
#include "cli/melody_formats.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "melody/melody_fields.h"
#include "melody/timeline.h"

namespace belltower::cli {

// The melody edit area of a freshly opened window after "Open RTX" of the file's text.
melody::MelodyFields FieldsFromRingtone(const formats::Bytes& fileText);

// A melody input: one whole melody record (an RE file), ringtone text (RTX or ERT), or a MIDI,
// .ott file or bare tone data imported into the edit fields.
struct MelodyInput {
    bool isRecord = false;
    formats::Bytes bytes;
    std::optional<melody::MelodyFields> imported;
};

// Ringtone text read from path ("-": standard input): its reading errors, or the refusal of
// melody::CheckRingtoneText naming the input.
formats::Result<formats::Bytes> ReadRingtoneText(Console& console, const std::string& path);

// Reads path ("-": standard input) as the format --from names, or when it is nullptr as its
// bytes are recognised (see RecogniseMelody). An RE file must be a valid one, and so must a
// file named *.re (any case) that is not MIDI or .ott: DamagedData "Not a valid raw melody
// file!" otherwise, rather than being read as ringtone text. Ringtone text must pass
// melody::CheckRingtoneText. MIDI, .ott and bare tone data are imported, their warnings
// printed, and their reader's error returned. Io error naming the path when it cannot be read.
formats::Result<MelodyInput> ReadMelodyInput(Console& console, const std::string& path,
                                             const MelodyInputOptions& options = {});

// A melody file of any kind read from path ("-": standard input) as the edit fields, as the
// format --from names or as its bytes are recognised, MIDI with the options' choices; ringtone text must pass
// melody::CheckRingtoneText first. The warnings are the caller's to print.
formats::Result<interchange::MelodyImport> ReadMelodyFile(Console& console, const std::string& path,
                                                          const MelodyInputOptions& options = {});

// The record the tone encoder makes of ringtone text: the whole notes, the name in the given
// format, playing options as the file gives them. "No data! This melody will not play." is
// warned about, and the empty melody's record returned. The encoder's error otherwise.
formats::Result<formats::Bytes> EncodeRingtone(const formats::Bytes& text, formats::TextFormat form, Console& console);

// EncodeRingtone of a melody input that is no record: its imported fields, or its text.
formats::Result<formats::Bytes> EncodeMelodyInput(const MelodyInput& input, formats::TextFormat form, Console& console);

// The end of a command that writes one file: the bytes written to path (Console::WriteOutput),
// then Done, or the refusal with the write's message.
ExitStatus WriteAndFinish(Console& console, const std::string& path, formats::ByteView bytes);
ExitStatus WriteAndFinish(Console& console, const std::string& path, std::span<const formats::ByteView> pieces);
// The same for bytes a conversion made, or its refusal when it failed.
ExitStatus WriteResultAndFinish(Console& console, const std::string& path,
                                const formats::Result<formats::Bytes>& bytes);

// The required -o,--output of a command that writes one file ("-": standard output); typeName
// names it in the help ("OUT.wav").
CLI::Option* AddOutputOption(CLI::App& command, std::string& target, const std::string& description,
                             const std::string& typeName = "OUT");

// Refuses an empty path as a usage error: "-o ''" would otherwise fall back to the file named
// after the input, beside it.
const CLI::Validator& NonEmptyPath();

// --hardware none|phone|logomanager (any case): the note range of the Hardware box.
CLI::Option* AddHardwareOption(CLI::App& command, melody::Hardware& target, const std::string& description);

// An option "ascii" or "unicode" (any case) that sets target.
CLI::Option* AddTextFormatOption(CLI::App& command, const std::string& name, formats::TextFormat& target,
                                 const std::string& description);

}  // namespace belltower::cli
