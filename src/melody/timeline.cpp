#include "melody/timeline.h"

#include <array>
#include <cstdio>

#include "formats/tone_commands.h"

namespace belltower::melody {
namespace {

namespace tone = formats::tone;

std::string Hex(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

bool IsOpening(const ToneCommand& command) {
    return (command.offset == 0 && command.code == tone::kOpeningCode &&
            command.parameter == tone::kOpeningParameter) ||
           (command.offset == 2 && command.code == tone::kOpeningSecondCode &&
            command.parameter == tone::kOpeningSecondParameter);
}

class Builder {
public:
    Timeline Build(const std::vector<ToneCommand>& commands) {
        for (std::size_t i = 0; i < commands.size() && !full_; ++i) {
            const ToneCommand& command = commands[i];
            if (command.code == tone::kRepeatEnd) {
                RepeatEnd(command.offset);
                continue;
            }
            if (command.code >= tone::kPause && command.code <= tone::kHighestPlayedNote) {
                // Equal codes in a row are one sound, as the synthesiser ties them.
                TimedEvent event{command.code, timeline_.units, 0, command.offset, 0, vibration_ > 0, 0};
                std::size_t j = i;
                for (; j < commands.size() && commands[j].code == command.code; ++j) {
                    event.units += commands[j].parameter;
                    ++event.commands;
                }
                i = j - 1;
                Add(event);
                continue;
            }
            Control(command);
        }
        return std::move(timeline_);
    }

private:
    void Control(const ToneCommand& command) {
        if (command.code == tone::kVibration) {
            if (command.parameter == tone::kVibrationOn) {
                if (vibration_ == 1) {
                    Notice(command.offset,
                           "A second vibration on (0A 01) speeds the motor up; the speed-up is not kept.");
                }
                vibration_ = vibration_ == 1 ? 2 : 1;
            } else if (command.parameter == tone::kVibrationOff) {
                vibration_ = 0;
            }
        } else if (command.code == tone::kRepeatStart) {
            mark_ = timeline_.events.size();
            repeatCount_ = command.parameter;
            marked_ = true;
        } else if (!IsOpening(command) && command.code != tone::kEndCode) {
            Notice(command.offset, "The command " + Hex(command.code) + " " + Hex(command.parameter) +
                                       " is not a note, pause or marker the phone plays; it is skipped.");
        }
    }

    void RepeatEnd(std::size_t offset) {
        if (!marked_ || repeatCount_ < 2 || timeline_.events.size() == mark_) {
            return;
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
    }

    void Add(TimedEvent event) {
        if (timeline_.units + event.units > kMaxTimelineUnits) {
            full_ = true;
            Notice(event.offset, "The melody plays longer than ten minutes; it is cut there.");
            return;
        }
        timeline_.units += event.units;
        timeline_.events.push_back(event);
    }

    void Notice(std::size_t offset, std::string what) { timeline_.notices.push_back({offset, std::move(what)}); }

    Timeline timeline_;
    int vibration_ = 0;
    bool marked_ = false;
    std::size_t mark_ = 0;
    unsigned repeatCount_ = 0;
    bool full_ = false;
};

}  // namespace

NoteName NameOfCode(std::uint8_t code) {
    static constexpr std::array<char, 12> kLetters = {'c', 'c', 'd', 'd', 'e', 'f', 'f', 'g', 'g', 'a', 'a', 'b'};
    static constexpr std::array<bool, 12> kSharps = {false, true,  false, true,  false, false,
                                                     true,  false, true,  false, true,  false};
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

Timeline BuildTimeline(formats::ByteView toneData) {
    return Builder().Build(ReadToneCommands(toneData));
}

}  // namespace belltower::melody
