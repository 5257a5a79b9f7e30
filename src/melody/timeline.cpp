// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/timeline.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "formats/message_text.h"
#include "formats/tone_commands.h"

namespace belltower::melody {
namespace {

namespace tone = formats::tone;

bool IsOpening(const ToneCommand& command) {
    return (command.offset == 0 && command.code == tone::kOpeningCode &&
            command.parameter == tone::kOpeningParameter) ||
           (command.offset == 2 && command.code == tone::kOpeningSecondCode &&
            command.parameter == tone::kOpeningSecondParameter);
}

class Builder : public ToneWalker {
public:
    Timeline Build(formats::ByteView toneData) {
        WalkToneData(toneData, *this);
        return std::move(timeline_);
    }

    bool Sound(const ToneSound& sound) override {
        TimedEvent event;
        event.code = sound.code;
        event.start = timeline_.units;
        event.units = sound.units;
        event.offset = sound.offset;
        event.commands = sound.commands;
        event.vibration = sound.vibration > 0;
        Add(event);
        return !full_;
    }

    bool RepeatStart(std::size_t /*offset*/, unsigned plays) override {
        mark_ = timeline_.events.size();
        markUnits_ = timeline_.units;
        repeatCount_ = plays;
        marked_ = true;
        return true;
    }

    void Vibration(std::size_t offset, int state) override {
        if (state == 2) {
            Notice(offset, "A second vibration on (0A 01) speeds the motor up; the speed-up is not kept.");
        }
    }

    void Skipped(const ToneCommand& command) override {
        if (!IsOpening(command) && command.code != tone::kEndCode) {
            Notice(command.offset, "The command " + formats::HexByte(command.code) + " " +
                                       formats::HexByte(command.parameter) +
                                       " is not a note, pause or marker the phone plays; it is skipped.");
        }
    }

    bool RepeatEnd(std::size_t offset) override {
        // As the synthesiser plays it: nothing is repeated when the stretch since the mark is
        // silent time of no length (zero-length notes), however many repeat ends follow.
        if (!marked_ || repeatCount_ < 2 || timeline_.units == markUnits_) {
            return true;
        }
        Notice(offset, "A repeat of " + std::to_string(repeatCount_) + " plays is written out note by note.");
        const std::size_t end = timeline_.events.size();
        for (unsigned copy = 1; copy < repeatCount_ && !full_; ++copy) {
            for (std::size_t e = mark_; e < end && !full_; ++e) {
                TimedEvent event = timeline_.events[e];
                event.start = timeline_.units;
                Add(event);
            }
        }
        return !full_;
    }

private:
    void Add(TimedEvent event) {
        if (timeline_.events.size() == kMaxTimelineEvents) {
            Cut(event.offset, "The melody has more than " + std::to_string(kMaxTimelineEvents) +
                                  " notes and pauses once its repeats are played; it is cut after " +
                                  Clock(timeline_.units) + ".");
            return;
        }
        if (timeline_.units + event.units > kMaxTimelineUnits) {
            // The note that crosses the cap sounds up to it.
            event.units = kMaxTimelineUnits - timeline_.units;
            Cut(event.offset,
                "The melody plays longer than ten minutes; it is cut at " + Clock(kMaxTimelineUnits) + ".");
            if (event.units == 0) {
                return;
            }
        }
        timeline_.units += event.units;
        timeline_.events.push_back(event);
    }

    void Cut(std::size_t offset, std::string what) {
        full_ = true;
        timeline_.cut = ToneNotice{offset, what};
        Notice(offset, std::move(what));
    }

    // A time as minutes and seconds: "10:00", "2:05.5".
    static std::string Clock(std::uint64_t units) {
        const std::uint64_t tenths = units * 10 / tone::kUnitsPerSecond;
        char text[32];
        std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(tenths / 600),
                      static_cast<unsigned long long>(tenths / 10 % 60));
        std::string clock = text;
        if (tenths % 10 != 0) {
            clock += "." + std::to_string(tenths % 10);
        }
        return clock;
    }

    void Notice(std::size_t offset, std::string what) { timeline_.notices.push_back({offset, std::move(what)}); }

    Timeline timeline_;
    bool marked_ = false;
    std::size_t mark_{};  // these three are set with marked_
    std::uint64_t markUnits_{};
    unsigned repeatCount_{};
    bool full_ = false;
};

}  // namespace

NoteName NameOfCode(std::uint8_t code) {
    static constexpr auto kLetters = std::to_array<char>({'c', 'c', 'd', 'd', 'e', 'f', 'f', 'g', 'g', 'a', 'a', 'b'});
    static constexpr auto kSharps =
        std::to_array<bool>({false, true, false, true, false, false, true, false, true, false, true, false});
    const int semitones = int{code} - 67;
    const int octave = semitones >= 0 ? semitones / 12 : -((-semitones + 11) / 12);
    const auto step = static_cast<std::size_t>(semitones - 12 * octave);
    return {kLetters[step], kSharps[step], octave};
}

std::vector<ToneCommand> ReadToneCommands(formats::ByteView toneData) {
    std::vector<ToneCommand> commands;
    commands.reserve(toneData.size() / 2 + 1);
    std::size_t pos = 0;
    while (pos < toneData.size()) {
        const std::uint8_t code = toneData[pos];
        if (code == tone::kRepeatEnd) {
            commands.push_back({pos, code, 0});
            ++pos;
            continue;
        }
        const std::uint8_t parameter = pos + 1 < toneData.size() ? toneData[pos + 1] : 0;
        commands.push_back({pos, code, parameter});
        pos += 2;
    }
    return commands;
}

void WalkToneData(formats::ByteView toneData, ToneWalker& walker) {
    const std::vector<ToneCommand> commands = ReadToneCommands(toneData);
    int vibration = 0;
    bool more = true;
    for (std::size_t i = 0; i < commands.size() && more; ++i) {
        const ToneCommand& command = commands[i];
        if (command.code == tone::kRepeatEnd) {
            more = walker.RepeatEnd(command.offset);
        } else if (command.code >= tone::kPause) {
            // Equal codes in a row are one sound, as the phone ties them.
            ToneSound sound{command.code, 0, command.offset, 0, vibration};
            for (; i < commands.size() && commands[i].code == command.code; ++i) {
                sound.units += commands[i].parameter;
                ++sound.commands;
            }
            --i;
            if (sound.code <= tone::kHighestPlayedNote) {
                more = walker.Sound(sound);
            } else {
                walker.Skipped(command);
            }
        } else if (command.code == tone::kVibration && command.parameter == tone::kVibrationOn) {
            vibration = vibration == 1 ? 2 : 1;
            walker.Vibration(command.offset, vibration);
        } else if (command.code == tone::kVibration && command.parameter == tone::kVibrationOff) {
            vibration = 0;
            walker.Vibration(command.offset, vibration);
        } else if (command.code == tone::kRepeatStart) {
            more = walker.RepeatStart(command.offset, command.parameter);
        } else if (command.code != tone::kVibration) {
            walker.Skipped(command);
        }
    }
}

Timeline BuildTimeline(formats::ByteView toneData) {
    return Builder().Build(toneData);
}

std::optional<std::string> CutWarning(const Timeline& timeline) {
    if (!timeline.cut) {
        return std::nullopt;
    }
    return timeline.cut->what;
}

std::string NoteLabel(std::uint8_t code) {
    if (code == tone::kPause) {
        return "pause";
    }
    const NoteName name = NameOfCode(code);
    std::string label(1, name.letter);
    if (name.sharp) {
        label += '#';
    }
    return label + std::to_string(name.octave);
}

bool OutOfRange(std::uint8_t code, Hardware hardware) {
    if (code <= tone::kPause) {
        return false;
    }
    switch (hardware) {
    case Hardware::Phone:
        return code < tone::kPhoneLowestNote || code > tone::kHighestSoundedNote;
    case Hardware::LogoManager:
        return code < tone::kLogoManagerLowestNote || code > tone::kHighestSoundedNote;
    case Hardware::None:
        break;
    }
    return false;
}

Sounded SoundedAs(std::uint8_t code, Hardware hardware) {
    return OutOfRange(code, hardware) ? Sounded{kReplacementCode, kReplacementLevel} : Sounded{code, 1.0};
}

std::string OutOfRangeWords(std::uint8_t code) {
    std::string words;
    if (OutOfRange(code, Hardware::Phone)) {
        words = "phone";
    }
    if (OutOfRange(code, Hardware::LogoManager)) {
        words += words.empty() ? "logomanager" : " logomanager";
    }
    return words;
}

std::vector<UnitSpan> VibrationSpans(const Timeline& timeline) {
    std::vector<UnitSpan> spans;
    for (const TimedEvent& event : timeline.events) {
        if (!event.vibration) {
            continue;
        }
        if (!spans.empty() && spans.back().end == event.start) {
            spans.back().end = event.start + event.units;
        } else {
            spans.push_back({event.start, event.start + event.units});
        }
    }
    return spans;
}

std::vector<TempoChange> TempoChanges(const Timeline& timeline) {
    std::vector<TempoChange> changes;
    for (const TimedEvent& event : timeline.events) {
        if (event.tempo > 0 && (changes.empty() || changes.back().tempo != event.tempo)) {
            changes.push_back({event.start, event.tempo});
        }
    }
    return changes;
}

void AttachTokens(Timeline& timeline, const std::vector<TokenSpan>& spans) {
    // Spans are in data order; the tokens that wrote nothing have no commands to find.
    const auto holding = [&spans](std::size_t offset) -> const TokenSpan* {
        auto found = std::upper_bound(spans.begin(), spans.end(), offset,
                                      [](std::size_t at, const TokenSpan& span) { return at < span.dataStart; });
        while (found != spans.begin()) {
            --found;
            if (found->dataStart < found->dataEnd) {
                return offset < found->dataEnd ? &*found : nullptr;
            }
        }
        return nullptr;
    };
    const TimedEvent* previous = nullptr;
    for (TimedEvent& event : timeline.events) {
        if (const TokenSpan* span = holding(event.offset)) {
            event.token = span->text;
            event.tempo = span->tempo;
        }
        event.staccatoRest = event.IsPause() && event.token && previous != nullptr && !previous->IsPause() &&
                             previous->token == event.token;
        previous = &event;
    }
}

}  // namespace belltower::melody
