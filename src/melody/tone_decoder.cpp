// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/tone_decoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <span>

#include "formats/dword.h"
#include "formats/message_text.h"
#include "formats/record.h"
#include "formats/text_value.h"
#include "formats/tone_commands.h"
#include "melody/tone_encoder.h"

namespace belltower::melody {
namespace {

namespace tone = formats::tone;
using formats::Bytes;
using formats::ByteView;
using formats::RoundHalfEven;

// A token of the notes text before it is written out: a note or pause of a whole length in
// duration units, or a vibration tag.
struct Token {
    enum class Kind { Sound, VibrationOn, VibrationOff };
    Kind kind{};
    std::uint8_t code{};
    double units{};
    std::size_t offset{};  // its first command in the tone data
    double tempo{};        // filled when written out

    static Token Sound(std::uint8_t code, double units, std::size_t offset) {
        return {.kind = Kind::Sound, .code = code, .units = units, .offset = offset};
    }
    static Token Vibration(bool on, std::size_t offset) {
        return {.kind = on ? Kind::VibrationOn : Kind::VibrationOff, .offset = offset};
    }
};

// The note fractions a plain token uses, longest first.
constexpr std::array kFractions = {1, 2, 4, 8, 16, 32};
constexpr int kHighestTempo = 999;

// The 32 tempos of the ringtone world's common table: preferred where several tempos fit.
constexpr std::array kTableTempos = {25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,  90,  100, 112, 125, 140,
                                     160, 180, 200, 225, 250, 285, 320, 355, 400, 450, 500, 565, 635, 715, 800, 900};

// The length in units the encoder gives a token of this fraction at this tempo.
double LengthOf(double fraction, bool dotted, double tempo) {
    return NoteUnits(fraction, dotted, tempo);
}

struct Fraction {
    int fraction = 0;
    bool dotted = false;
};

// The plain fraction that gives `units` at `tempo`: the preferred one first, then undotted ones.
std::optional<Fraction> FractionFor(double units, double tempo, std::optional<int> preferred = std::nullopt) {
    if (preferred && LengthOf(*preferred, false, tempo) == units) {
        return Fraction{*preferred, false};
    }
    for (const bool dotted : {false, true}) {
        for (const int fraction : kFractions) {
            if (LengthOf(fraction, dotted, tempo) == units) {
                return Fraction{fraction, dotted};
            }
        }
    }
    return std::nullopt;
}

// The whole tempos 1..kHighestTempo at which a fraction lasts `units`: one interval, as the
// length only falls while the tempo rises.
std::optional<std::pair<int, int>> TempoInterval(int fraction, bool dotted, double units) {
    const double whole = tone::kLengthRule * (dotted ? 1.5 : 1.0) / fraction;
    int low = static_cast<int>(std::clamp(std::floor(whole / (units + 0.5)), 1.0, double{kHighestTempo}));
    int high = units > 0.5 ? static_cast<int>(std::clamp(std::ceil(whole / (units - 0.5)), 1.0, double{kHighestTempo}))
                           : kHighestTempo;
    while (low <= high && LengthOf(fraction, dotted, low) != units) {
        if (LengthOf(fraction, dotted, low) < units) {
            return std::nullopt;
        }
        ++low;
    }
    while (high >= low && LengthOf(fraction, dotted, high) != units) {
        --high;
    }
    if (low > high) {
        return std::nullopt;
    }
    return std::pair{low, high};
}

// Lower is better among tempos that fit equally well.
int TempoRank(int tempo) {
    int rank = std::abs(tempo - 125);
    if (tempo < 40 || tempo > 320) {
        rank += 8000;  // rarely a ringtone's own tempo
    }
    if (std::find(kTableTempos.begin(), kTableTempos.end(), tempo) != kTableTempos.end()) {
        rank -= 4000;
    } else if (tempo % 10 == 0) {
        rank -= 2000;
    } else if (tempo % 5 == 0) {
        rank -= 1000;
    }
    return rank;
}

// The plain fraction most notes and pauses take at a tempo, each length read as the fraction a
// person writes most (undotted first; eighths, sixteenths, quarters, thirty-seconds, halves,
// whole notes); an eighth when none has a plain length.
Fraction MostUsedFraction(const std::map<double, int>& counts, int tempo) {
    constexpr std::array kUsual = {8, 16, 4, 32, 2, 1};
    std::map<std::pair<int, bool>, int> uses;
    for (const auto& [units, count] : counts) {
        std::optional<std::pair<int, bool>> usual;
        for (const bool dotted : {false, true}) {
            for (const int fraction : kUsual) {
                if (!usual && LengthOf(fraction, dotted, tempo) == units) {
                    usual = std::pair{fraction, dotted};
                }
            }
        }
        if (usual) {
            uses[*usual] += count;
        }
    }
    const auto most =
        std::max_element(uses.begin(), uses.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == uses.end() ? Fraction{8, false} : Fraction{most->first.first, most->first.second};
}

// In hundredths of a nat, how rarely a ringtone moves mostly in this fraction: eighths are the
// usual beat, then sixteenths, quarters and thirty-seconds; halves and whole notes are rare.
int UndottedBeatCost(int fraction) {
    switch (fraction) {
    case 8:
        return 75;
    case 16:
        return 130;
    case 4:
        return 200;
    case 32:
        return 240;
    case 2:
        return 380;
    default:
        return 510;
    }
}

// ... and a dotted beat is rarer still.
int BeatCost(Fraction beat) {
    constexpr int kDotted = 300;
    const int cost = UndottedBeatCost(beat.fraction);
    return beat.dotted ? cost + kDotted : cost;
}

// In hundredths of a nat, how rarely a ringtone has this tempo: most lie within a factor of
// about 1.35 of 125 beats per minute (a log-normal spread), and most use a tempo of the
// common table, or else a round number.
int TempoCost(int tempo) {
    constexpr double kSpread = 0.3;
    const double distance = std::log(tempo / 125.0) / kSpread;
    int roundness = 250;
    if (std::find(kTableTempos.begin(), kTableTempos.end(), tempo) != kTableTempos.end()) {
        roundness = 0;
    } else if (tempo % 10 == 0) {
        roundness = 100;
    } else if (tempo % 5 == 0) {
        roundness = 150;
    }
    return static_cast<int>(std::lround(50 * distance * distance)) + roundness;
}

// The shortest text of a tempo at which a whole note (fraction 1) lasts `units`.
std::optional<std::string> ExactTempoText(double units) {
    for (int digits = 1; digits <= 17; ++digits) {
        char text[40];
        std::snprintf(text, sizeof text, "%.*g", digits, tone::kLengthRule / units);
        const double tempo = formats::TextValue(text);
        if (tempo > 0 && LengthOf(1, false, tempo) == units) {
            return std::string(text);
        }
    }
    return std::nullopt;
}

// The items of the notes text and the settings around them.
struct Written {
    std::vector<ScoreItem> items;
    double tempo = 140;
    int duration = 8;
    int octave = 6;
    std::vector<ToneNotice> losses;
    bool complete = true;  // every token was written as it stands
};

class TextWriter {
public:
    explicit TextWriter(std::vector<Token>& tokens) : tokens_(tokens) {}

    Written Write() {
        ChooseTempo();
        ChooseDuration();
        ChooseOctave();
        double current = baseTempo_;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            Token& token = tokens_[i];
            if (token.kind != Token::Kind::Sound) {
                Emit(ScoreItem::VibrationSwitch(token.kind == Token::Kind::VibrationOn));
                continue;
            }
            std::optional<Fraction> fraction = FractionFor(token.units, current, duration_);
            if (!fraction && current != baseTempo_ && FractionFor(token.units, baseTempo_, duration_)) {
                current = baseTempo_;
                Emit(ScoreItem::TempoChange(current));
                fraction = FractionFor(token.units, current, duration_);
            }
            if (!fraction) {
                if (const auto tempo = BestTempoFrom(i)) {
                    current = *tempo;
                    Emit(ScoreItem::TempoChange(current));
                    fraction = FractionFor(token.units, current, duration_);
                } else if (const auto exact = ExactTempoText(token.units)) {
                    current = formats::TextValue(*exact);
                    Emit(ScoreItem::TempoChange(current));
                    fraction = Fraction{1, false};
                } else {
                    written_.complete = false;
                    written_.losses.push_back({token.offset, "A length of " + formats::NumberText(token.units) +
                                                                 " units has no note length; it is left out."});
                    continue;
                }
            }
            token.tempo = current;
            Emit(SoundItem(token, *fraction));
        }
        written_.tempo = baseTempo_;
        written_.duration = duration_;
        written_.octave = octave_;
        return std::move(written_);
    }

private:
    void Emit(ScoreItem item) { written_.items.push_back(std::move(item)); }

    ScoreItem SoundItem(const Token& token, Fraction fraction) {
        const std::optional<int> prefix =
            fraction.fraction == duration_ ? std::nullopt : std::optional<int>(fraction.fraction);
        if (token.code == tone::kPause) {
            return ScoreItem::Pause(prefix, fraction.dotted);
        }
        const NoteName name = NameOfCode(token.code);
        std::optional<double> octave;
        if (name.octave >= 1 && name.octave != octave_) {
            octave = name.octave;
        } else if (name.octave != octave_) {
            // An octave of 0 is read as "none"; 0.01 rounds to the same code. Below octave 1
            // only the default octave reaches, so a lower note is kept in octave 0.
            octave = 0.01;
            if (name.octave < 0) {
                written_.complete = false;
                written_.losses.push_back(
                    {token.offset, "The note " + std::string(1, name.letter) + (name.sharp ? "#" : "") + " of octave " +
                                       std::to_string(name.octave) + " cannot be written; it is written in octave 0."});
            }
        }
        return ScoreItem::Note(name.letter, name.sharp, prefix, fraction.dotted, octave);
    }

    std::map<double, int> LengthCounts() const {
        std::map<double, int> counts;
        for (const Token& token : tokens_) {
            if (token.kind == Token::Kind::Sound) {
                ++counts[token.units];
            }
        }
        return counts;
    }

    // How many notes and pauses have a plain length at each tempo 1..kHighestTempo (index 0 unused).
    static std::vector<int> Coverage(const std::map<double, int>& counts) {
        // steps[t] = covered[t] - covered[t - 1], built from the tempo intervals of each length.
        std::vector<int> steps(kHighestTempo + 2, 0);
        for (const auto& [units, count] : counts) {
            std::vector<std::pair<int, int>> intervals;
            for (const bool dotted : {false, true}) {
                for (const int fraction : kFractions) {
                    if (const auto interval = TempoInterval(fraction, dotted, units)) {
                        intervals.push_back(*interval);
                    }
                }
            }
            std::sort(intervals.begin(), intervals.end());
            int coveredTo = 0;  // a tempo counts a length once, however many fractions give it
            for (auto [low, high] : intervals) {
                low = std::max(low, coveredTo + 1);
                if (low <= high) {
                    steps[static_cast<std::size_t>(low)] += count;
                    steps[static_cast<std::size_t>(high) + 1] -= count;
                    coveredTo = std::max(coveredTo, high);
                }
            }
        }
        std::vector<int> covered(steps.size(), 0);
        for (std::size_t tempo = 1; tempo < steps.size(); ++tempo) {
            covered[tempo] = covered[tempo - 1] + steps[tempo];
        }
        return covered;
    }

    // Of the tempos at which most notes and pauses have a plain length, the one a person most
    // likely wrote: a usual ringtone tempo at which the melody moves mostly in eighths.
    void ChooseTempo() {
        const std::map<double, int> counts = LengthCounts();
        const std::vector<int> covered = Coverage(counts);
        // Index 0 and the one past the highest tempo hold 0, so the whole table gives the same most.
        const int most = *std::max_element(covered.begin(), covered.end());
        std::optional<int> bestCost;
        for (int tempo = 1; tempo <= kHighestTempo; ++tempo) {
            if (covered[static_cast<std::size_t>(tempo)] != most) {
                continue;
            }
            const int cost = TempoCost(tempo) + BeatCost(MostUsedFraction(counts, tempo));
            if (!bestCost || cost < *bestCost ||
                (cost == *bestCost && TempoRank(tempo) < TempoRank(static_cast<int>(baseTempo_)))) {
                bestCost = cost;
                baseTempo_ = tempo;
            }
        }
    }

    void ChooseDuration() {
        std::map<int, int> uses;
        for (const Token& token : tokens_) {
            if (token.kind == Token::Kind::Sound) {
                if (const auto fraction = FractionFor(token.units, baseTempo_); fraction) {
                    ++uses[fraction->fraction];
                }
            }
        }
        int most = 0;
        for (const auto& [fraction, count] : uses) {
            if (count > most) {
                most = count;
                duration_ = fraction;
            }
        }
    }

    void ChooseOctave() {
        std::map<int, int> uses;
        std::optional<int> lowest;
        for (const Token& token : tokens_) {
            if (token.kind == Token::Kind::Sound && token.code != tone::kPause) {
                const int octave = NameOfCode(token.code).octave;
                ++uses[octave];
                if (octave < 0 && (!lowest || octave < *lowest)) {
                    lowest = octave;
                }
            }
        }
        int most = 0;
        for (const auto& [octave, count] : uses) {
            if (count > most) {
                most = count;
                octave_ = octave;
            }
        }
        if (lowest) {
            octave_ = *lowest;  // octaves below 0 can only come from the default
        }
    }

    // Integer tempos at which a plain fraction gives `units`, the preferred first.
    const std::vector<int>& CandidatesFor(double units) {
        auto found = candidates_.find(units);
        if (found != candidates_.end()) {
            return found->second;
        }
        std::vector<int> tempos;
        for (const bool dotted : {false, true}) {
            for (const int fraction : kFractions) {
                const auto interval = TempoInterval(fraction, dotted, units);
                if (!interval) {
                    continue;
                }
                std::vector<int> fitting;
                for (int tempo = interval->first; tempo <= interval->second; ++tempo) {
                    fitting.push_back(tempo);
                }
                std::sort(fitting.begin(), fitting.end(), [](int a, int b) { return TempoRank(a) < TempoRank(b); });
                fitting.resize(std::min<std::size_t>(fitting.size(), 4));
                tempos.insert(tempos.end(), fitting.begin(), fitting.end());
            }
        }
        std::sort(tempos.begin(), tempos.end(), [](int a, int b) { return TempoRank(a) < TempoRank(b); });
        tempos.erase(std::unique(tempos.begin(), tempos.end()), tempos.end());
        return candidates_.emplace(units, std::move(tempos)).first->second;
    }

    // The integer tempo that gives token i a plain length and keeps the most tokens after it plain.
    std::optional<double> BestTempoFrom(std::size_t i) {
        constexpr std::size_t kLookAhead = 8;
        std::optional<double> best;
        std::size_t bestRun = 0;
        for (const int tempo : CandidatesFor(tokens_[i].units)) {
            std::size_t run = 0;
            for (const Token& token : std::span(tokens_).subspan(i)) {
                if (run == kLookAhead) {
                    break;
                }
                if (token.kind != Token::Kind::Sound) {
                    continue;
                }
                if (!FractionFor(token.units, tempo)) {
                    break;
                }
                ++run;
            }
            if (run > bestRun) {
                bestRun = run;
                best = tempo;
            }
        }
        return best;
    }

    std::vector<Token>& tokens_;
    Written written_;
    double baseTempo_ = 140;
    int duration_ = 8;
    int octave_ = 6;
    std::map<double, std::vector<int>> candidates_;
};

// The tone data split at what the encoder writes around the notes.
struct Frame {
    std::size_t bodyBegin{};  // first command after the opening
    std::size_t bodyEnd{};    // the closing marker
    bool playTwice{};
    bool forceOnePlay{};
    double delay{};
};

bool Is(const ToneCommand& command, std::uint8_t code, std::uint8_t parameter) {
    return command.code == code && command.parameter == parameter;
}

// The frame of encoder output: after the notes, which start at `bodyBegin`, the closing marker,
// a delay pause, the play-once marker and the end. The commands before `bodyBegin` are not
// looked at: the encoder's opening is checked by encoding the reading again.
std::optional<Frame> FindFrame(const std::vector<ToneCommand>& commands, std::size_t bodyBegin) {
    if (commands.size() < bodyBegin + 2) {
        return std::nullopt;
    }
    Frame frame;
    std::size_t last = commands.size() - 1;
    if (!Is(commands[last], tone::kEndCode, tone::kEndParameter)) {
        return std::nullopt;
    }
    --last;  // the closing marker comes at bodyBegin or later
    if (last > bodyBegin && Is(commands[last], tone::kVibration, tone::kPlayOnce)) {
        frame.forceOnePlay = true;
        --last;
    }
    if (last > bodyBegin && commands[last].code == tone::kPause) {
        // A delay that rounds to 0 still writes its pause.
        frame.delay = commands[last].parameter == 0 ? 0.5 : commands[last].parameter;
        --last;
    }
    if (commands[last].code != tone::kVibration) {
        return std::nullopt;
    }
    if (commands[last].parameter == tone::kPlayTwice) {
        frame.playTwice = true;
    } else if (commands[last].parameter != tone::kVibrationOff) {
        return std::nullopt;
    }
    frame.bodyBegin = bodyBegin;
    frame.bodyEnd = last;
    return frame;
}

// The encoder's settings that decide how notes become commands.
struct Hypothesis {
    int staccato = 0;
    bool smallPauses = true;
};

// Reads the body of encoder output back into the tokens that give it under one hypothesis.
class BodyParser {
public:
    BodyParser(const std::vector<ToneCommand>& commands, const Frame& frame, Hypothesis hypothesis)
        : commands_(commands), begin_(frame.bodyBegin), end_(frame.bodyEnd), hypothesis_(hypothesis) {}

    // The tokens the encoder turns into exactly the commands of the body, or nothing when it
    // cannot have written them.
    std::optional<std::vector<Token>> Parse() {
        std::vector<Token> tokens;
        std::size_t i = begin_;
        while (i < end_) {
            const ToneCommand& command = commands_[i];
            if (command.code == tone::kVibration &&
                (command.parameter == tone::kVibrationOn || command.parameter == tone::kVibrationOff)) {
                tokens.push_back(Token::Vibration(command.parameter == tone::kVibrationOn, command.offset));
                ++i;
                continue;
            }
            const std::optional<Token> token = ReadSound(i);
            if (!token) {
                return std::nullopt;
            }
            tokens.push_back(*token);
        }
        return tokens;
    }

private:
    bool IsSound(std::size_t k) const { return k < end_ && commands_[k].code >= tone::kPause; }
    std::uint8_t CodeAt(std::size_t k) const { return commands_[k].code; }

    // Pieces of one length from command k on: 125-unit commands of `code`, then one shorter
    // (or a last 125). A 40 02 after whole pieces that another pause follows is the small pause
    // before it. Moves k past the pieces.
    double Pieces(std::size_t& k, std::uint8_t code) const {
        double units = 0;
        std::size_t whole = 0;
        while (k < end_ && CodeAt(k) == code && commands_[k].parameter == tone::kPieceUnits) {
            units += tone::kPieceUnits;
            ++k;
            ++whole;
        }
        if (k < end_ && CodeAt(k) == code) {
            const bool smallPauseAhead = hypothesis_.smallPauses && whole > 0 && code == tone::kPause &&
                                         commands_[k].parameter == tone::kSmallPauseUnits && k + 1 < end_ &&
                                         CodeAt(k + 1) == tone::kPause;
            if (!smallPauseAhead) {
                units += commands_[k].parameter;
                ++k;
            }
        }
        return units;
    }

    // The note or pause whose commands start at i, the small pause before it included; moves i
    // past them. Nothing when the encoder cannot have written them.
    std::optional<Token> ReadSound(std::size_t& i) {
        const ToneCommand& command = commands_[i];
        if (command.code < tone::kPause) {
            return std::nullopt;
        }
        const bool smallPauses = hypothesis_.smallPauses && previous_;
        std::size_t k = i;
        if (smallPauses && Is(command, tone::kPause, tone::kSmallPauseUnits) && IsSound(k + 1) &&
            CodeAt(k + 1) == *previous_) {
            ++k;  // the small pause the encoder puts between equal codes
        } else if (smallPauses && command.code == *previous_) {
            return std::nullopt;
        }
        const std::size_t start = k;
        const std::uint8_t code = CodeAt(k);
        const int staccato = hypothesis_.staccato;
        // A staccato note: the cut length, then the rest of its length as a pause.
        const bool cut =
            staccato > 0 && commands_[k].parameter == staccato && IsSound(k + 1) && CodeAt(k + 1) == tone::kPause;
        if (cut) {
            ++k;
        }
        const double units = cut ? staccato + Pieces(k, tone::kPause) : Pieces(k, code);
        if (!cut && (k == start || (staccato > 0 && units > staccato))) {
            return std::nullopt;
        }
        if (units < 1) {
            return std::nullopt;
        }
        previous_ = cut ? tone::kPause : code;
        i = k;
        return Token::Sound(code, units, command.offset);
    }

    const std::vector<ToneCommand>& commands_;
    std::size_t begin_;
    std::size_t end_;
    Hypothesis hypothesis_;
    std::optional<std::uint8_t> previous_;  // the code of the last command of the last token
};

// The staccato lengths worth trying: note lengths a pause follows, the most frequent first.
std::vector<int> StaccatoCandidates(const std::vector<ToneCommand>& commands, const Frame& frame) {
    std::map<int, int> counts;
    for (std::size_t i = frame.bodyBegin; i + 1 < frame.bodyEnd; ++i) {
        if (commands[i].code > tone::kPause && commands[i].parameter > 0 && commands[i + 1].code == tone::kPause) {
            ++counts[commands[i].parameter];
        }
    }
    std::vector<std::pair<int, int>> ordered;
    ordered.reserve(counts.size());
    for (const auto& [length, count] : counts) {
        ordered.emplace_back(count, length);
    }
    std::sort(ordered.rbegin(), ordered.rend());
    std::vector<int> lengths;
    for (std::size_t i = 0; i < ordered.size() && i < 3; ++i) {
        lengths.push_back(ordered[i].second);
    }
    return lengths;
}

struct ToneResult {
    Score score;
    std::vector<ToneNotice> losses;
    std::vector<Token> tokens;
    bool complete = false;
};

void ApplyWritten(Written&& written, ToneResult& result) {
    result.score.items = std::move(written.items);
    result.score.settings.tempo = written.tempo;
    result.score.settings.duration = written.duration;
    result.score.settings.octave = written.octave;
    result.complete = written.complete;
    for (auto& loss : written.losses) {
        result.losses.push_back(std::move(loss));
    }
}

// The tone data the melody encodes to; empty when it cannot be encoded. The readings compared
// here have no name yet, so a name can make no encoding fail.
Bytes EncodedToneData(const Score& score) {
    EncodeResult encoded = EncodeScore(score, formats::TextFormat::Ascii);
    return encoded.record ? std::move(encoded.toneData) : Bytes{};
}

// Tokens of a notes text, a tempo tag counting three: what makes a text hard to read.
std::size_t TextCost(const std::vector<ScoreItem>& items) {
    const auto tags =
        std::count_if(items.begin(), items.end(), [](const ScoreItem& item) { return item.kind == ItemKind::Tempo; });
    return items.size() + 2 * static_cast<std::size_t>(tags);
}

// A staccato length is taken only when most notes are longer than it: a melody that merely
// has a rest after some notes is not read as staccato.
bool MostlyCut(const std::vector<Token>& tokens, int staccato) {
    std::size_t notes = 0;
    std::size_t cut = 0;
    for (const Token& token : tokens) {
        if (token.kind == Token::Kind::Sound && token.code != tone::kPause) {
            ++notes;
            cut += token.units > staccato ? 1 : 0;
        }
    }
    return 2 * cut > notes;
}

// Encoder output decoded exactly: of the readings of the commands (with or without staccato
// and small pauses), the shortest text that encodes to the same bytes.
std::optional<ToneResult> DecodeExactly(const std::vector<ToneCommand>& commands, ByteView toneData) {
    // The encoder writes whole commands of two bytes.
    const auto frame = toneData.size() % 2 == 0 ? FindFrame(commands, tone::kOpening.size() / 2) : std::nullopt;
    if (!frame) {
        return std::nullopt;
    }
    const Bytes wanted = formats::StripFill(toneData);
    const std::vector<int> staccatos = StaccatoCandidates(commands, *frame);
    // Without the small pauses equal notes stand apart as they are; that reading is only tried
    // when the encoder cannot have written the melody with small pauses.
    for (const bool smallPauses : {true, false}) {
        std::vector<ToneResult> readings;
        for (std::size_t s = 0; s <= staccatos.size(); ++s) {
            const Hypothesis hypothesis{s == 0 ? 0 : staccatos[s - 1], smallPauses};  // plain first
            auto tokens = BodyParser(commands, *frame, hypothesis).Parse();
            if (!tokens || (hypothesis.staccato > 0 && !MostlyCut(*tokens, hypothesis.staccato))) {
                continue;
            }
            ToneResult result;
            ScoreSettings& settings = result.score.settings;
            settings.playTwice = frame->playTwice;
            settings.forceOnePlay = frame->forceOnePlay;
            settings.delay = frame->delay;
            settings.staccato = hypothesis.staccato;
            settings.noSmallPauses = !hypothesis.smallPauses;
            ApplyWritten(TextWriter(*tokens).Write(), result);
            result.tokens = std::move(*tokens);
            if (result.complete) {
                readings.push_back(std::move(result));
            }
        }
        // The reading with the shortest text that encodes to the same bytes.
        std::stable_sort(readings.begin(), readings.end(), [](const ToneResult& a, const ToneResult& b) {
            return TextCost(a.score.items) < TextCost(b.score.items);
        });
        for (ToneResult& reading : readings) {
            if (EncodedToneData(reading.score) == wanted) {
                return std::move(reading);
            }
        }
    }
    return std::nullopt;
}

// Where the melody of tone data of any other origin ends: before the closing the encoder
// writes, recognised with or without the opening (its settings then go into `result`), or at
// the end command, or at the end of the data.
std::size_t ForeignBodyEnd(const std::vector<ToneCommand>& commands, ByteView toneData, ToneResult& result) {
    if (const auto frame = FindFrame(commands, 0)) {
        result.score.settings.playTwice = frame->playTwice;
        result.score.settings.forceOnePlay = frame->forceOnePlay;
        result.score.settings.delay = frame->delay;
        return commands[frame->bodyEnd].offset;
    }
    result.score.settings.delay = 0;
    const auto end = std::find_if(commands.begin(), commands.end(), [](const ToneCommand& command) {
        return Is(command, tone::kEndCode, tone::kEndParameter);
    });
    if (end == commands.end()) {
        return toneData.size();
    }
    if (end->offset + 2 < toneData.size()) {
        result.losses.push_back({end->offset + 2, "The bytes after the end of the melody (07 0B) are left out."});
    }
    return end->offset;
}

// The timed events as tokens. Equal codes next to each other without a pause between (a
// vibration tag between them) can only be kept with the small pauses switched off; otherwise
// the encoder puts them back, and a small pause between equal codes is left to it.
void TokensOfEvents(const std::vector<TimedEvent>& events, ToneResult& result) {
    bool adjacentEqual = false;
    for (std::size_t e = 1; e < events.size(); ++e) {
        adjacentEqual = adjacentEqual || events[e].code == events[e - 1].code;
    }
    result.score.settings.noSmallPauses = adjacentEqual;
    bool vibration = true;  // the opening switches it on
    for (std::size_t e = 0; e < events.size(); ++e) {
        const TimedEvent& event = events[e];
        if (event.vibration != vibration) {
            vibration = event.vibration;
            result.tokens.push_back(Token::Vibration(vibration, event.offset));
        }
        const bool smallPause = !adjacentEqual && event.IsPause() && event.units == tone::kSmallPauseUnits && e > 0 &&
                                e + 1 < events.size() && events[e - 1].code == events[e + 1].code;
        if (!smallPause) {
            result.tokens.push_back(Token::Sound(event.code, static_cast<double>(event.units), event.offset));
        }
    }
}

// Tone data of any other origin: the timed events as the phone plays them, written out.
ToneResult DecodeClosest(const std::vector<ToneCommand>& commands, ByteView toneData) {
    ToneResult result;
    const std::size_t bodyEnd = ForeignBodyEnd(commands, toneData, result);
    Timeline timeline = BuildTimeline(formats::Mid(toneData, 0, bodyEnd));
    for (auto& notice : timeline.notices) {
        result.losses.push_back(std::move(notice));
    }
    TokensOfEvents(timeline.events, result);
    ApplyWritten(TextWriter(result.tokens).Write(), result);
    return result;
}

// Each event gets the tempo of the last token at or before its first command.
void SetTempos(Timeline& timeline, const std::vector<Token>& tokens) {
    std::map<std::size_t, double> tempos;
    for (const Token& token : tokens) {
        if (token.kind == Token::Kind::Sound && token.tempo > 0) {
            tempos.emplace(token.offset, token.tempo);
        }
    }
    if (tempos.empty()) {
        return;
    }
    for (TimedEvent& event : timeline.events) {
        auto found = tempos.upper_bound(event.offset);
        event.tempo = found == tempos.begin() ? found->second : std::prev(found)->second;
    }
}

DecodedMelody Decode(ByteView toneData) {
    const std::vector<ToneCommand> commands = ReadToneCommands(toneData);
    DecodedMelody decoded;
    std::optional<ToneResult> result = DecodeExactly(commands, toneData);
    decoded.exact = result.has_value();
    if (!result) {
        result = DecodeClosest(commands, toneData);
        if (result->losses.empty()) {
            result->losses.push_back({0, "The tone data was not written in Belltower's way; the text plays the "
                                         "same but encodes to other bytes."});
        }
    }
    decoded.score = std::move(result->score);
    decoded.losses = std::move(result->losses);
    decoded.timeline = BuildTimeline(toneData);
    SetTempos(decoded.timeline, result->tokens);
    return decoded;
}

// A record's name as Latin-1 text; `width` bytes a character (2: big-endian UTF-16), a
// character outside Latin-1 written as "?" with a loss.
std::string NameText(const Bytes& name, std::size_t width, std::vector<ToneNotice>& losses) {
    std::string text;
    for (std::size_t i = 0; i < name.size(); i += width) {
        const std::uint8_t high = width == 2 ? name[i] : 0;
        const std::uint8_t low = width == 2 ? name[i + 1] : name[i];
        if (high != 0) {
            losses.push_back({17 + i, "A character of the name outside Latin-1 is written as \"?\"."});
            text += '?';
        } else {
            text += static_cast<char>(low);
        }
    }
    return text;
}

}  // namespace

DecodedMelody DecodeToneData(formats::ByteView toneData) {
    DecodedMelody decoded = Decode(toneData);
    decoded.score.settings.name.clear();
    decoded.fields = WriteFields(decoded.score);
    return decoded;
}

DecodedMelody DecodeMelody(formats::ByteView recordOrToneData) {
    const ByteView input = recordOrToneData;
    if (!formats::IsWholeRecord(input)) {
        return DecodeToneData(input);
    }
    const formats::TextFormat format = formats::DetectRecordFormat(input);
    const auto nameBytes = formats::RecordNameBytes(input, format);
    const auto tail = formats::RecordTail(input, format);
    const auto index = formats::RecordIndex(input);
    const auto id = formats::RecordId(input);
    const std::size_t terminator = format == formats::TextFormat::Unicode ? 2 : 1;
    if (!nameBytes || !tail || tail->size() < terminator) {
        return DecodeToneData(input);
    }
    const Bytes toneData = formats::StripFill(formats::Mid(*tail, terminator, tail->size()));
    DecodedMelody decoded = Decode(toneData);
    ScoreSettings& settings = decoded.score.settings;
    // Offsets of losses count from the start of the record.
    const std::size_t toneStart = input.size() - tail->size() + terminator;
    for (ToneNotice& loss : decoded.losses) {
        loss.offset += toneStart;
    }
    decoded.record = true;
    decoded.format = format;
    settings.name = NameText(*nameBytes, terminator, decoded.losses);
    std::string idText = id ? *id : std::string();
    while (!idText.empty() && idText.back() == ' ') {
        idText.pop_back();
    }
    settings.id = idText;
    if (index) {
        settings.index = static_cast<double>(*index);
    } else {
        decoded.losses.push_back({0, "The index is larger than an index may be; 1 is written instead."});
    }
    if (format == formats::TextFormat::Unicode && input[16] != 0) {
        decoded.losses.push_back({16, "The purpose byte " + formats::HexByte(input[16]) +
                                          " is not kept: a melody Belltower "
                                          "encodes has 00 there."});
    }
    // Exact when the whole record comes back byte for byte.
    decoded.fields = WriteFields(decoded.score);
    const EncodeResult again = EncodeScore(decoded.score, format);
    decoded.exact = again.record && *again.record == Bytes(input.begin(), input.end());
    return decoded;
}

}  // namespace belltower::melody
