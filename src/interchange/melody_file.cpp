// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/melody_file.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "formats/record.h"
#include "interchange/midi.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"

namespace belltower::interchange {
namespace {

MelodyImport Imported(melody::DecodedMelody decoded) {
    MelodyImport imported{std::move(decoded.score), std::move(decoded.fields), {}};
    for (const melody::ToneNotice& loss : decoded.losses) {
        imported.warnings.push_back("byte " + std::to_string(loss.offset) + ": " + loss.what);
    }
    return imported;
}

// MIDI of a record or bare tone data, played as the phone plays it; a melody cut at the
// timeline's caps says where.
formats::Result<MelodyExport> MidiOfRecord(formats::ByteView record) {
    const melody::DecodedMelody decoded = melody::DecodeMelody(record);
    auto midi = WriteMidi(decoded.timeline, decoded.fields.name);
    if (!midi) {
        return midi.error();
    }
    MelodyExport out{std::move(*midi), {}};
    if (auto cut = melody::CutWarning(decoded.timeline)) {
        out.warnings.push_back(std::move(*cut));
    }
    return out;
}

formats::TextFormat FormOf(MelodyOutput format) {
    return format == MelodyOutput::ReUnicode ? formats::TextFormat::Unicode : formats::TextFormat::Ascii;
}

}  // namespace

bool LooksLikeMidiFile(formats::ByteView bytes) {
    // Ringtone text of a melody named "MThd..." has letters where the header chunk's length
    // stands, which give a length far past its end.
    return LooksLikeMidi(bytes) && (MidiHeaderFits(bytes) || !melody::CheckRingtoneText(formats::ToText(bytes)));
}

MelodyImport ReadMelodyRecord(formats::ByteView record) {
    return Imported(melody::DecodeMelody(record));
}

MelodyImport ReadToneData(formats::ByteView toneData) {
    return Imported(melody::DecodeToneData(toneData));
}

formats::Result<MelodyImport> ReadMelodyFile(formats::ByteView bytes, const melody::MelodyFields& base,
                                             const MelodyFormat* as, const MidiReadOptions& midi) {
    const MelodyFormat& format = as != nullptr ? *as : FormatOf(RecogniseMelody(bytes));
    return format.content == MelodyContent::Midi ? ReadMidi(bytes, midi) : format.read(bytes, base);
}

const MelodyFormat& FormatOf(MelodyOutput format) {
    for (const MelodyFormat& row : MelodyFormats()) {
        if (row.write != nullptr && (OutputOf(row.content, formats::TextFormat::Ascii) == format ||
                                     OutputOf(row.content, formats::TextFormat::Unicode) == format)) {
            return row;
        }
    }
    throw std::logic_error("a melody output has no row in the table of formats");
}

MelodyOutput OutputOf(MelodyContent content, formats::TextFormat form) {
    constexpr auto kOutputs =
        std::to_array<std::pair<MelodyContent, MelodyOutput>>({{MelodyContent::Ringtone, MelodyOutput::Rtx},
                                                               {MelodyContent::Midi, MelodyOutput::Mid},
                                                               {MelodyContent::Ott, MelodyOutput::Ott},
                                                               {MelodyContent::Imelody, MelodyOutput::Imy},
                                                               {MelodyContent::Composer, MelodyOutput::Composer}});
    for (const auto& [written, output] : kOutputs) {
        if (written == content) {
            return output;
        }
    }
    return form == formats::TextFormat::Unicode ? MelodyOutput::ReUnicode : MelodyOutput::ReAscii;
}

std::string Extension(MelodyOutput format) {
    return "." + std::string(FormatOf(format).extensions.front());
}

std::string RestoringOptions(const melody::MelodyFields& fields) {
    std::string options;
    if (fields.playTwice) {
        options += "--twice";
    }
    if (fields.noSmallPauses) {
        options += options.empty() ? "--no-small-pauses" : " --no-small-pauses";
    }
    return options;
}

formats::Result<MelodyExport> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format) {
    return FormatOf(format).write(fields, FormOf(format));
}

formats::Result<MelodyExport> WriteMelodyRecord(formats::ByteView record, MelodyOutput format) {
    if (format == MelodyOutput::Mid) {
        return MidiOfRecord(record);
    }
    MelodyImport decoded = ReadMelodyRecord(record);
    auto written = WriteMelodyFields(decoded.fields, format);
    if (written) {
        decoded.warnings.insert(decoded.warnings.end(), written->warnings.begin(), written->warnings.end());
        written->warnings = std::move(decoded.warnings);
    }
    return written;
}

}  // namespace belltower::interchange
