// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/imelody.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "formats/text_value.h"
#include "interchange/score_notes.h"
#include "melody/note_token.h"
#include "melody/timeline.h"

namespace belltower::interchange {
namespace {

using formats::ByteView;
using formats::ErrorCode;
using formats::MakeError;
using melody::ItemKind;
using melody::Score;
using melody::ScoreItem;

constexpr int kDefaultBeat = 120;
constexpr int kMinBeat = 25;
constexpr int kMaxBeat = 900;
constexpr std::size_t kMaxLine = 75;
// A record's tone data holds at most 65,535 bytes, two for each note: a melody written out
// past this many notes and rests could never reach the phone.
constexpr std::size_t kMaxItems = 32767;
// iMelody octave n is ringtone octave n + 1.
constexpr int kOctaveShift = 1;
constexpr int kUnmarkedOctave = 4;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

// The lines of the file with folds joined and line ends removed.
std::vector<std::string> UnfoldedLines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            lines.back() += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        if (i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
            ++i;  // a fold: the break and the one blank after it vanish
            continue;
        }
        lines.emplace_back();
    }
    return lines;
}

// UTF-8 text as Latin-1 bytes, the characters of the phone's name formats; a character past
// U+00FF becomes '?' and is listed. Bytes that are not UTF-8 are taken as Latin-1 already.
std::string NameFromUtf8(std::string_view text, std::vector<std::string>& replaced) {
    std::string name;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            name += text[i];
            ++i;
            continue;
        }
        unsigned codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        if (codePoint <= 0xFF) {
            name += static_cast<char>(codePoint);
        } else {
            name += '?';
            replaced.emplace_back(text.substr(i, length));
        }
        i += length;
    }
    return name;
}

std::string NameToUtf8(std::string_view name) {
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControlCharacter(c)) {
            text += ' ';  // a line break in the name would end the NAME line
        } else if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// A note's code with its octave mark applying to it alone, and carried on from the last mark.
using Codes = std::array<int, 2>;

constexpr long kLeap = 10;  // semitones of a minor seventh

long Square(int step) {
    return static_cast<long>(step) * step;
}

// The reading of the MELODY value.
class MelodyReader {
public:
    MelodyReader(std::string_view text, std::vector<std::string>& warnings) : text_(text), warnings_(warnings) {}

    std::vector<ScoreItem> Read() {
        while (pos_ < text_.size()) {
            ReadToken();
        }
        if (!blocks_.empty()) {
            warnings_.emplace_back("A repeat block of the melody has no closing \")\": it plays once.");
        }
        ChooseOctaveReading();
        ReportDropped();
        return std::move(items_);
    }

private:
    void ReadToken() {
        const std::size_t start = pos_;
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
        if (c == ' ' || c == '\t') {
            ++pos_;
        } else if (c == '(') {
            ++pos_;
            blocks_.push_back(items_.size());
        } else if (c == '@') {
            ReadRepeatCount();
        } else if (c == ')') {
            ++pos_;
            CloseBlock();
        } else if (!ReadWord() && !ReadVolume() && !ReadNote()) {
            Damaged(start);
        }
    }

    // V+, V- and Vn.
    bool ReadVolume() {
        const std::size_t start = pos_;
        const std::string_view word = text_.substr(pos_, 2);
        if (word.size() != 2 || std::tolower(static_cast<unsigned char>(word[0])) != 'v') {
            return false;
        }
        if (word[1] != '+' && word[1] != '-' && !std::isdigit(static_cast<unsigned char>(word[1]))) {
            return false;
        }
        pos_ += 2;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
        dropped_.emplace_back(text_.substr(start, pos_ - start));
        return true;
    }

    // vibeon, vibeoff and the light commands.
    bool ReadWord() {
        static constexpr auto kWords =
            std::to_array<std::string_view>({"vibeon", "vibeoff", "ledon", "ledoff", "backon", "backoff"});
        const auto* const word = std::find_if(
            kWords.begin(), kWords.end(), [&](std::string_view w) { return StartsWithNoCase(text_.substr(pos_), w); });
        if (word == kWords.end()) {
            return false;
        }
        pos_ += word->size();
        if (word->starts_with("vibe")) {
            Add(ScoreItem::VibrationSwitch(*word == "vibeon"));
        } else {
            dropped_.emplace_back(*word);
        }
        return true;
    }

    bool ReadNote() {
        std::optional<int> octave;
        if (text_[pos_] == '*') {
            if (pos_ + 1 >= text_.size() || text_[pos_ + 1] < '0' || text_[pos_ + 1] > '8') {
                return false;
            }
            octave = text_[pos_ + 1] - '0';
            carried_ = *octave;
            pos_ += 2;
        }
        int shift = 0;
        if (pos_ < text_.size() && (text_[pos_] == '#' || text_[pos_] == '&')) {
            shift = text_[pos_] == '#' ? 1 : -1;
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            return false;
        }
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
        // iMelody names b as b only; ringtone text's h is no iMelody letter.
        const std::optional<double> base = letter == 'h' ? std::nullopt : melody::PitchBase(letter);
        const bool rest = letter == 'r' && !octave && shift == 0;
        if (!base && !rest) {
            return false;
        }
        ++pos_;
        const auto length = ReadLength();
        if (!length) {
            return false;
        }
        // The ringtone text's pitch rule, at the ringtone octave of the mark.
        const auto code = [&](int imelodyOctave) {
            return rest ? 0 : static_cast<int>(*base) + 1 + 12 * (imelodyOctave + kOctaveShift) + shift;
        };
        AddNote({code(octave.value_or(kUnmarkedOctave)), code(carried_)}, *length);
        return true;
    }

    // The duration digit and its specifier, as a length in whole notes.
    std::optional<double> ReadLength() {
        if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '5') {
            return std::nullopt;
        }
        double whole = 1.0 / (1 << (text_[pos_] - '0'));
        ++pos_;
        if (pos_ < text_.size()) {
            const char specifier = text_[pos_];
            const double factor = specifier == '.' ? 1.5 : specifier == ':' ? 1.75 : specifier == ';' ? 2.0 / 3 : 0;
            if (factor != 0) {
                whole *= factor;
                ++pos_;
            }
        }
        return whole;
    }

    // A note or rest; codes holds the note's code in both readings of the octave marks.
    void AddNote(Codes codes, double whole) {
        const int code = codes[0];
        const TextLength length = NearestLength(whole, kTextFractions);
        if (SameLength(length.Whole(), whole)) {
            Add(ItemForCode(code, length.fraction, length.dotted), codes);
            return;
        }
        if (code == 0) {
            // A double-dotted rest is a dotted rest and a rest of a quarter of it: exact.
            const TextLength first = NearestLength(whole / 1.75 * 1.5, kTextFractions);
            const TextLength rest = NearestLength(whole - first.Whole(), kTextFractions);
            if (SameLength(first.Whole() + rest.Whole(), whole)) {
                Add(ItemForCode(0, first.fraction, first.dotted));
                Add(ItemForCode(0, rest.fraction, rest.dotted));
                return;
            }
        }
        ++rounded_;
        Add(ItemForCode(code, length.fraction, length.dotted), codes);
    }

    void Add(ScoreItem item, Codes codes = {0, 0}) {
        if (items_.size() >= kMaxItems) {
            cut_ = true;
            return;
        }
        items_.push_back(std::move(item));
        codes_.push_back(codes);
    }

    // Readers disagree on whether an octave mark carries on to the unmarked notes after it, and
    // files of both kinds exist. The mark applies to its own note only, unless carrying it makes
    // the melody move by clearly smaller steps: then its writer meant it to carry.
    void ChooseOctaveReading() {
        std::array<long, 2> steps = {0, 0};
        std::optional<Codes> last;
        for (const Codes& codes : codes_) {
            if (codes[0] == 0) {
                continue;
            }
            if (last) {
                steps[0] += Square(codes[0] - (*last)[0]);
                steps[1] += Square(codes[1] - (*last)[1]);
            }
            last = codes;
        }
        // Squared steps weigh a leap of an octave far above a few steps of a scale; carrying
        // must save at least the square of a leap of a seventh.
        if (steps[1] + kLeap * kLeap >= steps[0]) {
            return;
        }
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (codes_[i][0] != codes_[i][1]) {
                items_[i] = ItemForCode(codes_[i][1], items_[i].fraction.value_or(4), items_[i].dotted);
            }
        }
        warnings_.emplace_back("The octave marks of this file carry on to the notes after them, as its writer meant: "
                               "read so, the melody moves by smaller steps.");
    }

    void ReadRepeatCount() {
        const std::size_t start = pos_++;
        std::size_t end = pos_;
        while (end < text_.size() && std::isdigit(static_cast<unsigned char>(text_[end]))) {
            ++end;
        }
        if (end == pos_ || blocks_.empty()) {
            Damaged(start);
            return;
        }
        pendingCount_ = formats::TextValue(text_.substr(pos_, end - pos_));
        pos_ = end;
    }

    void CloseBlock() {
        if (blocks_.empty()) {
            Damaged(pos_ - 1);
            return;
        }
        const std::size_t begin = blocks_.back();
        blocks_.pop_back();
        double count = pendingCount_.value_or(1);
        pendingCount_.reset();
        if (count == 0) {
            warnings_.emplace_back("A repeat block plays for ever (@0): it is written out once.");
            count = 1;
        }
        // Only a block that is played again and still fits is copied: thousands of nested blocks
        // closing over a melody already at its cut must not copy it thousands of times.
        const std::size_t size = items_.size() - begin;
        if (count <= 1 || size == 0) {
            return;
        }
        if (items_.size() + size > kMaxItems) {
            cut_ = true;
            return;
        }
        const auto from = static_cast<std::ptrdiff_t>(begin);
        const std::vector<ScoreItem> block(items_.begin() + from, items_.end());
        const std::vector<Codes> blockCodes(codes_.begin() + from, codes_.end());
        // Each play adds at least one item, so the cap ends even an endless count.
        for (std::size_t played = 1; static_cast<double>(played) < count; ++played) {
            if (items_.size() + block.size() > kMaxItems) {
                cut_ = true;
                break;
            }
            items_.insert(items_.end(), block.begin(), block.end());
            codes_.insert(codes_.end(), blockCodes.begin(), blockCodes.end());
        }
    }

    void Damaged(std::size_t start) {
        // Skip to the next character that can begin a token.
        pos_ = start + 1;
        while (pos_ < text_.size() &&
               std::string_view("*#&cdefgabrCDEFGABR(@)vVlLbB ").find(text_[pos_]) == std::string_view::npos) {
            ++pos_;
        }
        warnings_.push_back("Skipped the damaged token \"" + std::string(text_.substr(start, pos_ - start)) +
                            "\" at character " + std::to_string(start + 1) + " of the melody.");
    }

    void ReportDropped() {
        if (rounded_ > 0) {
            warnings_.push_back(
                std::to_string(rounded_) +
                " double-dotted or two-thirds lengths have no exact ringtone text: they take the nearest length.");
        }
        if (!dropped_.empty()) {
            warnings_.push_back("Light and volume commands are not kept: " + ListFirst(dropped_) + ".");
        }
        if (cut_) {
            warnings_.push_back("The melody is cut after " + std::to_string(kMaxItems) +
                                " notes and rests, more than one melody record can hold.");
        }
    }

    std::string_view text_;
    std::vector<std::string>& warnings_;
    std::size_t pos_ = 0;
    std::vector<ScoreItem> items_;
    std::vector<Codes> codes_;       // for each item: a note's code in both readings, {0, 0} otherwise
    int carried_ = kUnmarkedOctave;  // the octave of the last mark
    std::vector<std::size_t> blocks_;
    std::optional<double> pendingCount_;
    std::vector<std::string> dropped_;
    int rounded_ = 0;
    bool cut_ = false;
};

// What the lines of an iMelody file around its notes say.
struct ImelodyHead {
    std::optional<std::string> melody;  // the MELODY line's value
    bool ended = false;                 // END:IMELODY was read
    bool staccato = false;              // STYLE:S2
};

// One line after BEGIN:IMELODY: the name and the tempo go into the settings, what is not kept
// is said in a warning.
void ReadHeadLine(const std::string& line, ImelodyHead& head, melody::ScoreSettings& settings,
                  std::vector<std::string>& warnings) {
    const std::size_t colon = line.find(':');
    const std::string field = Lower(line.substr(0, colon));
    const std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    if (field == "end") {
        head.ended = true;
    } else if (field == "name") {
        std::vector<std::string> replaced;
        settings.name = NameFromUtf8(value, replaced);
        if (!replaced.empty()) {
            warnings.push_back("The name's characters " + ListFirst(replaced) +
                               " do not exist in the phone's name formats: each became \"?\".");
        }
    } else if (field == "beat") {
        const double beat = formats::TextValue(value);
        if (beat > 0) {
            settings.tempo = beat;
        } else {
            warnings.push_back("The BEAT \"" + value + "\" is not a tempo: the melody plays at 120.");
        }
    } else if (field == "style") {
        if (Lower(value) == "s2") {
            head.staccato = true;
        } else if (Lower(value) != "s0") {
            warnings.push_back("The style " + value + " is not kept: the melody plays in natural style.");
        }
    } else if (field == "volume") {
        warnings.push_back("The volume " + value + " is not kept: the phone plays at its own volume.");
    } else if (field == "melody") {
        head.melody = value;
    }
}

}  // namespace

bool LooksLikeImelody(ByteView bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && StartsWithNoCase(text.substr(first), "begin:imelody");
}

formats::Result<MelodyImport> ReadImelody(ByteView bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::vector<std::string> lines = UnfoldedLines(text);
    auto line = std::find_if(lines.begin(), lines.end(),
                             [](const std::string& l) { return StartsWithNoCase(l, "begin:imelody"); });
    if (line == lines.end()) {
        return MakeError(ErrorCode::BadInput, "This is not an iMelody file: it has no BEGIN:IMELODY line.");
    }
    MelodyImport import;
    Score& score = import.score;
    score.settings.tempo = kDefaultBeat;
    ImelodyHead head;
    for (++line; line != lines.end() && !head.ended; ++line) {
        ReadHeadLine(*line, head, score.settings, import.warnings);
    }
    if (!head.melody) {
        return MakeError(ErrorCode::BadInput, "The iMelody file has no MELODY line.");
    }
    if (!head.ended) {
        import.warnings.emplace_back("The iMelody file has no END:IMELODY line: it was read to its end.");
    }
    if (head.staccato) {
        // Staccato style: each note sounds for a sixteenth at the melody's tempo, then rests.
        score.settings.staccato = melody::NoteUnits(16, false, score.settings.tempo);
    }
    score.items = MelodyReader(*head.melody, import.warnings).Read();
    UseCommonDefaults(score);
    return ImportOf(std::move(score), std::move(import.warnings));
}

}  // namespace belltower::interchange

namespace belltower::interchange {
namespace {

// The lengths iMelody writes: 1/2^d for the digit d, times the specifier's factor.
struct ImelodyLength {
    int digit = 2;
    char specifier = 0;  // 0, '.', ':' or ';'

    double Whole() const {
        const double factor = specifier == '.' ? 1.5 : specifier == ':' ? 1.75 : specifier == ';' ? 2.0 / 3 : 1.0;
        return factor / (1 << digit);
    }
};

// The iMelody length nearest (by ratio) to a length in whole notes; exact when it can be.
ImelodyLength NearestImelodyLength(double whole) {
    static const std::vector<ImelodyLength> kLengths = [] {
        std::vector<ImelodyLength> lengths;
        for (int digit = 0; digit <= 5; ++digit) {
            for (const char specifier : {'\0', '.', ';', ':'}) {
                lengths.push_back({digit, specifier});
            }
        }
        return lengths;
    }();
    return NearestByRatio(kLengths, whole);
}

// Lines of at most kMaxLine octets: the pieces (tokens, or a name's characters) are never
// split; each continuation line starts with the blank that marks a fold.
std::string Folded(const std::string& field, const std::vector<std::string>& pieces) {
    std::string text;
    std::string line = field;
    for (const std::string& piece : pieces) {
        if (line.size() + piece.size() > kMaxLine && line.size() > 1) {
            text += line + "\r\n";
            line = " ";
        }
        line += piece;
    }
    return text + line + "\r\n";
}

// A UTF-8 text cut into its characters.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && !characters.empty()) {
            characters.back() += c;
        } else {
            characters.emplace_back(1, c);
        }
    }
    return characters;
}

class MelodyWriter {
public:
    MelodyWriter(const Score& score, int beat) : score_(score), beat_(beat) {}

    std::vector<std::string> Write(std::vector<std::string>& warnings) {
        double tempo = score_.settings.tempo;
        std::string tag;
        for (const ScoreNote& note : ScoreNotes(score_)) {
            WriteTags(note.item, tempo, tag);
            WriteNote(note, tag);
        }
        WriteTags(score_.items.size(), tempo, tag);
        Report(warnings);
        return std::move(tokens_);
    }

private:
    // The items before `end` that are not notes or pauses, from where the last call stopped.
    void WriteTags(std::size_t end, double& tempo, std::string& tag) {
        for (; next_ < end; ++next_) {
            const ScoreItem& item = score_.items[next_];
            if (item.kind == ItemKind::Tempo) {
                tempo = item.tempo;
                tag = melody::WriteToken(item);
            } else if (item.kind == ItemKind::Vibration) {
                tokens_.emplace_back(item.vibrationOn ? "vibeon" : "vibeoff");
            } else if (item.kind == ItemKind::Other && !item.text.empty()) {
                unread_.push_back(item.text);
            }
        }
        ++next_;  // the note or pause at `end`
    }

    void WriteNote(const ScoreNote& note, const std::string& tag) {
        const double whole = note.Whole() * beat_ / note.tempo;
        const ImelodyLength length = NearestImelodyLength(whole);
        if (!SameLength(length.Whole(), whole)) {
            if (!tag.empty() && SameLength(NearestImelodyLength(note.Whole()).Whole(), note.Whole())) {
                if (std::find(inexactTags_.begin(), inexactTags_.end(), tag) == inexactTags_.end()) {
                    inexactTags_.push_back(tag);
                }
            } else {
                rounded_.push_back(melody::WriteToken(score_.items[note.item]));
            }
        }
        std::string token;
        if (note.rest) {
            token = "r";
        } else {
            token = NoteText(note.code);
        }
        token += static_cast<char>('0' + length.digit);
        if (length.specifier != 0) {
            token += length.specifier;
        }
        tokens_.push_back(token);
    }

    // Octave mark, sharp and letter; the mark as the header comment says.
    std::string NoteText(int code) {
        const melody::NoteName name = melody::NameOfCode(static_cast<std::uint8_t>(code));
        int octave = name.octave - kOctaveShift;  // a score's octaves start at 1, iMelody's at *0
        if (octave > 8) {
            moved_.push_back(melody::NoteLabel(static_cast<std::uint8_t>(code)));
            octave = 8;
        }
        std::string text;
        if (octave != kUnmarkedOctave || carried_ != kUnmarkedOctave) {
            text = "*" + std::to_string(octave);
            carried_ = octave;
        }
        if (name.sharp) {
            text += '#';
        }
        return text + name.letter;
    }

    void Report(std::vector<std::string>& warnings) const {
        if (!rounded_.empty()) {
            warnings.push_back("iMelody has no length for " + ListFirst(rounded_) + ": the nearest length is written.");
        }
        for (const std::string& tag : inexactTags_) {
            warnings.push_back("The tempo tag " + tag + " cannot be written as iMelody lengths at BEAT " +
                               std::to_string(beat_) + ": the notes after it take the nearest lengths.");
        }
        if (!moved_.empty()) {
            warnings.push_back("iMelody has no octave for " + ListFirst(moved_) +
                               ": moved by whole octaves into *0..*8.");
        }
        if (!unread_.empty()) {
            warnings.push_back("Tokens the phone ignores are not written: " + ListFirst(unread_) + ".");
        }
    }

    const Score& score_;
    int beat_;
    std::size_t next_ = 0;
    int carried_ = kUnmarkedOctave;
    std::vector<std::string> tokens_;
    std::vector<std::string> rounded_;
    std::vector<std::string> inexactTags_;
    std::vector<std::string> moved_;
    std::vector<std::string> unread_;
};

}  // namespace

MelodyExport WriteImelody(const Score& score) {
    MelodyExport out;
    const double tempo = score.settings.tempo;
    const int beat = std::isfinite(tempo)
                         ? static_cast<int>(std::clamp(std::round(tempo), 1.0 * kMinBeat, 1.0 * kMaxBeat))
                         : kDefaultBeat;
    if (beat != tempo) {
        out.warnings.push_back("iMelody has no tempo " + melody::ExactNumberText(tempo) + ": BEAT is " +
                               std::to_string(beat) + " and the lengths are kept as near as they can be.");
    }
    if (score.settings.staccato > 0) {
        out.warnings.emplace_back("iMelody has no staccato length: the notes play their whole length.");
    }
    const std::string& name = score.settings.name;
    if (std::any_of(name.begin(), name.end(), IsControlCharacter)) {
        out.warnings.emplace_back(kNameBlanksText);
    }
    const std::vector<std::string> tokens = MelodyWriter(score, beat).Write(out.warnings);
    std::string text = "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n";
    text += Folded("NAME:", Characters(NameToUtf8(score.settings.name)));
    text += "BEAT:" + std::to_string(beat) + "\r\n";
    text += Folded("MELODY:", tokens);
    text += "END:IMELODY\r\n";
    out.bytes.assign(text.begin(), text.end());
    return out;
}

}  // namespace belltower::interchange
