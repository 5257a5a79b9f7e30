#include "interchange/melody_file.h"

#include <utility>

#include "formats/record.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"

namespace belltower::interchange {
namespace {

// The header chunk's length (bytes 4..7) is at least 6 and inside the file. Ringtone text of a
// melody named "MThd..." has letters there, which give a length far past its end.
bool MidiHeaderFits(formats::ByteView bytes) {
    constexpr std::size_t kHeaderStart = 8;
    constexpr std::uint32_t kShortestHeader = 6;
    const std::uint32_t length = formats::BigEndianAt(bytes, 4);
    return bytes.size() >= kHeaderStart + kShortestHeader && length >= kShortestHeader &&
           length <= bytes.size() - kHeaderStart;
}

template <typename Import>
formats::Result<MelodyImport> Imported(formats::Result<Import> read) {
    if (!read) {
        return read.error();
    }
    return MelodyImport{std::move(read->fields), std::move(read->warnings)};
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

}  // namespace

MelodyImport ReadMelodyRecord(formats::ByteView record) {
    melody::DecodedMelody decoded = melody::DecodeMelody(record);
    MelodyImport imported{std::move(decoded.fields), {}};
    for (const melody::ToneNotice& loss : decoded.losses) {
        imported.warnings.push_back("byte " + std::to_string(loss.offset) + ": " + loss.what);
    }
    return imported;
}

MelodyContent RecogniseMelody(formats::ByteView bytes) {
    if (LooksLikeMidi(bytes) && (MidiHeaderFits(bytes) || !melody::CheckRingtoneText(formats::ToText(bytes)))) {
        return MelodyContent::Midi;
    }
    if (formats::IsWholeRecord(bytes)) {
        return MelodyContent::Record;
    }
    if (LooksLikeOtt(bytes)) {
        return MelodyContent::Ott;
    }
    return MelodyContent::Ringtone;
}

formats::Result<MelodyImport> ReadMelodyFile(formats::ByteView bytes, melody::MelodyFields base) {
    switch (RecogniseMelody(bytes)) {
    case MelodyContent::Record:
        return ReadMelodyRecord(bytes);
    case MelodyContent::Midi:
        return Imported(ReadMidi(bytes));
    case MelodyContent::Ott:
        return Imported(ReadOtt(bytes));
    case MelodyContent::Ringtone:
        break;
    }
    melody::ReadRtxText(formats::ToText(bytes), base);
    return MelodyImport{std::move(base), {}};
}

std::string_view Extension(MelodyOutput format) {
    switch (format) {
    case MelodyOutput::Rtx:
        return ".rtx";
    case MelodyOutput::Mid:
        return ".mid";
    case MelodyOutput::Ott:
        return ".ott";
    case MelodyOutput::ReAscii:
    case MelodyOutput::ReUnicode:
        break;
    }
    return ".re";
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
    MelodyExport out;
    switch (format) {
    case MelodyOutput::Rtx:
        if (const std::string options = RestoringOptions(fields); !options.empty()) {
            out.warnings.push_back("Ringtone text cannot hold every option of this melody; encode it with: " + options);
        }
        if (!melody::NameFitsRtxText(fields.name)) {
            out.warnings.emplace_back(melody::kRtxNameChangedText);
        }
        out.bytes = formats::ToBytes(melody::WriteRtxText(fields));
        return out;
    case MelodyOutput::Ott: {
        auto written = WriteOtt(fields);
        if (!written) {
            return written.error();
        }
        return MelodyExport{std::move(written->bytes), std::move(written->warnings)};
    }
    case MelodyOutput::ReAscii:
    case MelodyOutput::ReUnicode:
    case MelodyOutput::Mid:
        break;
    }
    const auto form = format == MelodyOutput::ReUnicode ? formats::TextFormat::Unicode : formats::TextFormat::Ascii;
    melody::EncodeResult encoded = melody::EncodeReRecord(fields, form);
    if (!encoded.record) {
        return encoded.record.error();
    }
    if (encoded.noData) {
        out.warnings.emplace_back(melody::kNoDataText);
    }
    if (format != MelodyOutput::Mid) {
        out.bytes = std::move(*encoded.record);
        return out;
    }
    auto midi = MidiOfRecord(*encoded.record);
    if (!midi) {
        return midi.error();
    }
    out.bytes = std::move(midi->bytes);
    out.warnings.insert(out.warnings.end(), midi->warnings.begin(), midi->warnings.end());
    return out;
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
