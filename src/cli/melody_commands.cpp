// encode and to-rtx: a fresh melody edit area filled from a ringtone file ("Open RTX"), then
// saved as an RE file ("Save as RE...") or as a ringtone line ("Save as RTX"). encode also
// takes RE, MIDI and .ott files, and writes ringtone text, MIDI or .ott with --to.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "formats/file_io.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"

namespace belltower::cli {
namespace {

using formats::TextFormat;

struct EncodeOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string directory;
    bool unicode = false;
    bool playTwice = false;
    bool noSmallPauses = false;
    MelodyOutput to = MelodyOutput::ReAscii;
};

struct ToRtxOptions {
    std::string input;
    std::string output;
};

// One input and where its record goes.
struct EncodeJob {
    std::string input;
    std::string output;
    bool derivedOutput = false;  // named after the input rather than given with -o
};

// The output for an input: its file name with the extension of the output format, in folder,
// or beside the input when folder is empty. "\" separates folders too, as in paths typed the
// Windows way.
std::string DerivedOutput(const std::string& input, const std::string& folder, std::string_view extension) {
    const std::string inputFolder = formats::FolderOfPath(input);
    std::string name =
        std::filesystem::path(input.substr(inputFolder.size())).replace_extension(std::string(extension)).string();
    std::string outputFolder = folder.empty() ? inputFolder : folder;
    if (!outputFolder.empty() && outputFolder.back() != '/' && outputFolder.back() != '\\') {
        outputFolder += '/';
    }
    return outputFolder + name;
}

// With several inputs a message names the input it is about, unless it already starts with
// that name (the file errors of the core name their path).
std::string AboutInput(const std::string& input, const std::string& message, bool severalInputs) {
    const std::string name = InputName(input);
    if (!severalInputs || message.starts_with(name + ": ")) {
        return message;
    }
    return name + ": " + message;
}

// Same file on disk (both exist) or same spelling once "." and ".." are resolved.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) {
        return true;
    }
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

// Encodes one input into its output; false (with the message reported) when it failed.
bool EncodeOne(const EncodeJob& job, const EncodeOptions& options, bool severalInputs, Console& console) {
    const auto file = console.ReadInput(job.input);
    if (!file) {
        console.Refuse(AboutInput(job.input, file.error().message, severalInputs));
        return false;
    }
    // Ringtone text as a fresh window opens it; RE, MIDI and .ott files through their readers.
    auto fields = ReadMelodyFields(*file, console);
    if (!fields) {
        console.Refuse(AboutInput(job.input, fields.error().message, severalInputs));
        return false;
    }
    fields->playTwice = fields->playTwice || options.playTwice;
    fields->noSmallPauses = fields->noSmallPauses || options.noSmallPauses;
    if (options.to == MelodyOutput::ReAscii || options.to == MelodyOutput::ReUnicode) {
        const TextFormat form = options.unicode ? TextFormat::Unicode : TextFormat::Ascii;
        const melody::EncodeResult encoded = melody::EncodeReRecord(*fields, form);
        if (encoded.noData) {
            console.Warn(AboutInput(job.input, melody::kNoDataText, severalInputs));
        }
        if (!encoded.record) {
            console.Refuse(AboutInput(job.input, encoded.record.error().message, severalInputs));
            return false;
        }
        const auto written = console.WriteOutput(job.output, *encoded.record);
        if (!written) {
            console.Refuse(AboutInput(job.input, written.error().message, severalInputs));
            return false;
        }
        return true;
    }
    const auto converted = WriteMelodyFields(*fields, options.to, console);
    if (!converted) {
        console.Refuse(AboutInput(job.input, converted.error().message, severalInputs));
        return false;
    }
    const auto written = console.WriteOutput(job.output, *converted);
    if (!written) {
        console.Refuse(AboutInput(job.input, written.error().message, severalInputs));
        return false;
    }
    return true;
}

ExitStatus Encode(const EncodeOptions& options, Console& console) {
    const bool severalInputs = options.inputs.size() > 1;
    if (severalInputs && options.directory.empty()) {
        return console.UsageError("Several inputs need -d DIR: each record is saved there, named after its input.");
    }
    std::vector<EncodeJob> jobs;
    for (const std::string& input : options.inputs) {
        if (!options.output.empty()) {
            jobs.push_back({input, options.output, false});
        } else if (input == kStandardStream) {
            if (!options.directory.empty()) {
                return console.UsageError("Standard input has no file name to name a record after: encode it with -o.");
            }
            jobs.push_back({input, std::string(kStandardStream), false});
        } else {
            jobs.push_back({input, DerivedOutput(input, options.directory, Extension(options.to)), true});
        }
    }

    bool allSaved = true;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const EncodeJob& job = jobs[i];
        // Two inputs with the same name from different folders (or a.rtx and a.ert) would
        // give the same record file; the second would silently replace the first.
        std::optional<std::string> takenBy;
        for (std::size_t j = 0; j < i && !takenBy; ++j) {
            if (SameFile(jobs[j].output, job.output)) {
                takenBy = jobs[j].input;
            }
        }
        if (takenBy) {
            console.Refuse(InputName(job.input) + ": its record " + job.output + " is the record of " + *takenBy +
                           " already; not encoded.");
            allSaved = false;
            continue;
        }
        // "encode tone.re" must not replace the RE file it was (wrongly) given to read.
        if (job.derivedOutput && SameFile(job.input, job.output)) {
            console.Refuse(InputName(job.input) + ": its record would replace the input itself; not encoded.");
            allSaved = false;
            continue;
        }
        allSaved = EncodeOne(job, options, severalInputs, console) && allSaved;
    }
    return allSaved ? ExitStatus::Done : ExitStatus::Refused;
}

ExitStatus ToRtx(const ToRtxOptions& options, Console& console) {
    const auto file = console.ReadInput(options.input);
    if (!file) {
        return console.Refuse(file.error().message);
    }
    const std::string line = melody::WriteRtxText(FieldsFromRingtone(*file));
    const auto written = console.WriteOutput(options.output, formats::ToBytes(line));
    if (!written) {
        return console.Refuse(written.error().message);
    }
    return ExitStatus::Done;
}

void AddEncode(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<EncodeOptions>();
    CLI::App* encode = table.AddCommand(
        app, "encode",
        "Save ringtone files (RTX or ERT text; also RE, MIDI and .ott files, recognised by their content) as RE "
        "files, one melody record each, or as ringtone text, MIDI or .ott with --to.",
        "  belltower-cli encode beep.rtx                 writes beep.re beside beep.rtx\n"
        "  belltower-cli encode beep.rtx -o BEEP.RE --unicode\n"
        "  belltower-cli encode *.rtx *.ert -d records   one .re per input, in records/\n"
        "  belltower-cli encode - -o - < beep.rtx > beep.re\n"
        "  belltower-cli encode song.mid --to rtx         writes song.rtx beside song.mid",
        [options](Console& console, const GlobalOptions&) { return Encode(*options, console); });
    encode->add_option("IN", options->inputs, "Ringtone, RE, MIDI or .ott files; - reads standard input.")->required();
    CLI::Option* output = encode->add_option("-o,--output", options->output,
                                             "The file to write (one input only); - writes standard output.");
    output->type_name("OUT");
    CLI::Option* directory =
        encode->add_option("-d,--directory", options->directory,
                           "Folder for the files written, each named after its input with the extension of its "
                           "format (.re, .rtx, .mid, .ott; needed for several inputs).");
    directory->type_name("DIR");
    output->excludes(directory);
    encode->add_flag("--unicode", options->unicode,
                     "Write the name in Unicode, for the 6210 and 7110 (default: ASCII, for the 3210 and 3310).");
    encode->add_flag("--twice", options->playTwice, "Suggest playing twice.");
    encode->add_flag("--no-small-pauses", options->noSmallPauses,
                     "Disable small pauses between identical tones (NOT recommended!).");
    AddMelodyOutputOption(*encode, "--to", options->to, {"re", "rtx", "mid", "ott"},
                          "The format to write: an RE file (default), ringtone text, MIDI or .ott.");
}

void AddToRtx(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<ToRtxOptions>();
    CLI::App* toRtx = table.AddCommand(
        app, "to-rtx", "Rewrite a ringtone file as one RTX line with every setting written out.",
        "  belltower-cli to-rtx beep.txt -o beep.rtx\n"
        "  belltower-cli to-rtx - -o - < beep.txt",
        [options](Console& console, const GlobalOptions&) { return ToRtx(*options, console); });
    toRtx->add_option("IN", options->input, "Ringtone file (RTX or ERT text); - reads standard input.")->required();
    toRtx->add_option("-o,--output", options->output, "The RTX file to write; - writes standard output.")
        ->type_name("OUT.rtx")
        ->required();
}

}  // namespace

void AddMelodyCommands(CLI::App& app, CommandTable& table) {
    AddEncode(app, table);
    AddToRtx(app, table);
}

}  // namespace belltower::cli
