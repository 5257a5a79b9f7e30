// SPDX-License-Identifier: GPL-3.0-or-later
// encode and to-rtx: a fresh melody edit area filled from a ringtone file ("Open RTX"), then
// saved as an RE file ("Save as RE...") or as a ringtone line ("Save as RTX"). encode also
// takes RE, MIDI and .ott files, and writes ringtone text, MIDI, .ott, iMelody or Composer codes with --to.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
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
    MelodyInputOptions reading;  // --from and the MIDI choices
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

// One key per file a path names, whether the file exists or not: the folder with its links
// resolved (looked up once per folder) and the file name. Comparing keys in a set keeps the
// checks of a batch of thousands of files linear.
class OutputKeys {
public:
    std::string Key(const std::string& output) {
        const std::filesystem::path path(output);
        const std::string folder = path.parent_path().string();
        auto found = folders_.find(folder);
        if (found == folders_.end()) {
            std::error_code ec;
            std::filesystem::path resolved = std::filesystem::weakly_canonical(folder.empty() ? "." : folder, ec);
            found = folders_.emplace(folder, ec ? path.parent_path().lexically_normal() : resolved).first;
        }
        return (found->second / path.filename()).string();
    }

private:
    std::map<std::string, std::filesystem::path> folders_;
};

// The output of one input (a record, or the file --to asks for), or nothing (with the message
// reported) when it failed. With several inputs every message names its input.
std::optional<formats::Bytes> EncodeOne(const EncodeJob& job, const EncodeOptions& options, bool severalInputs,
                                        Console& console) {
    const auto about = [&](const std::string& message) { return AboutInput(job.input, message, severalInputs); };
    const auto warn = [&](const std::vector<std::string>& warnings) {
        for (const std::string& warning : warnings) {
            console.Warn(about(warning));
        }
    };
    // Ringtone text as a fresh window opens it; RE, MIDI and .ott files through their readers.
    auto imported = ReadMelodyFile(console, job.input, options.reading);
    if (!imported) {
        console.Refuse(about(imported.error().message));
        return std::nullopt;
    }
    warn(imported->warnings);
    melody::MelodyFields& fields = imported->fields;
    fields.playTwice = fields.playTwice || options.playTwice;
    fields.noSmallPauses = fields.noSmallPauses || options.noSmallPauses;
    if (options.to == MelodyOutput::ReAscii || options.to == MelodyOutput::ReUnicode) {
        const TextFormat form = options.unicode ? TextFormat::Unicode : TextFormat::Ascii;
        melody::EncodeResult encoded = melody::EncodeReRecord(fields, form);
        if (encoded.noData) {
            console.Warn(about(std::string(melody::kNoDataText)));
        }
        if (!encoded.record) {
            console.Refuse(about(encoded.record.error().message));
            return std::nullopt;
        }
        return std::move(*encoded.record);
    }
    auto converted = interchange::WriteMelodyFields(fields, options.to);
    if (!converted) {
        console.Refuse(about(converted.error().message));
        return std::nullopt;
    }
    warn(converted->warnings);
    return std::move(converted->bytes);
}

// Puts the records of a batch in place; false, with a message naming the inputs whose records
// were written, when that failed.
bool CommitBatch(formats::FileBatch& batch, const std::vector<const EncodeJob*>& batched, Console& console) {
    const auto committed = batch.Commit();
    if (committed) {
        return true;
    }
    const std::size_t done = batch.Committed();
    std::string message = committed.error().message + ". ";
    if (done == 0) {
        message += "No record was written.";
    } else {
        message += "The records of the first " + std::to_string(done) + " inputs were written, up to " +
                   InputName(batched[done - 1]->input) + "; the records of the other " +
                   std::to_string(batched.size() - done) + " were not.";
    }
    console.Refuse(message);
    return false;
}

// Each input with its output, into jobs; the usage error of the command line, or empty.
std::string PlanJobs(const EncodeOptions& options, std::vector<EncodeJob>& jobs) {
    if (options.inputs.size() > 1 && options.directory.empty()) {
        return "Several inputs need -d DIR: each record is saved there, named after its input.";
    }
    for (const std::string& input : options.inputs) {
        if (!options.output.empty()) {
            jobs.push_back({input, options.output, false});
        } else if (input == kStandardStream) {
            if (!options.directory.empty()) {
                return "Standard input has no file name to name a record after: encode it with -o.";
            }
            jobs.push_back({input, std::string(kStandardStream), false});
        } else {
            jobs.push_back({input, DerivedOutput(input, options.directory, Extension(options.to)), true});
        }
    }
    return {};
}

ExitStatus Encode(const EncodeOptions& options, Console& console) {
    const bool severalInputs = options.inputs.size() > 1;
    std::vector<EncodeJob> jobs;
    if (const std::string usage = PlanJobs(options, jobs); !usage.empty()) {
        return console.UsageError(usage);
    }

    // Every record file is written first and all are put in place together at the end, with
    // one flush to disk for the lot.
    formats::FileBatch batch;
    std::vector<const EncodeJob*> batched;
    OutputKeys keys;
    std::unordered_map<std::string, const std::string*> takenBy;  // output file -> its input
    bool allSaved = true;
    for (const EncodeJob& job : jobs) {
        // Two inputs with the same name from different folders (or a.rtx and a.ert) would
        // give the same record file; the second would silently replace the first.
        std::string key;
        if (job.output != kStandardStream) {
            key = keys.Key(job.output);
            const auto [taken, isNew] = takenBy.emplace(key, &job.input);
            if (!isNew) {
                console.Refuse(InputName(job.input) + ": its record " + job.output + " is the record of " +
                               *taken->second + " already; not encoded.");
                allSaved = false;
                continue;
            }
        }
        // "encode tone.re" must not replace the RE file it was (wrongly) given to read.
        if (job.derivedOutput && keys.Key(job.input) == key) {
            console.Refuse(InputName(job.input) + ": its record would replace the input itself; not encoded.");
            allSaved = false;
            continue;
        }
        const auto record = EncodeOne(job, options, severalInputs, console);
        if (!record) {
            allSaved = false;
            continue;
        }
        formats::Result<void> written;
        if (job.output == kStandardStream) {
            written = console.WriteOutput(job.output, *record);
        } else if (const auto target = console.CheckReplace(job.output); !target) {
            written = target.error();
        } else if (written = batch.Add(*target, *record); written) {
            batched.push_back(&job);
        }
        if (!written) {
            console.Refuse(AboutInput(job.input, written.error().message, severalInputs));
            allSaved = false;
        }
    }
    return CommitBatch(batch, batched, console) && allSaved ? ExitStatus::Done : ExitStatus::Refused;
}

ExitStatus ToRtx(const ToRtxOptions& options, Console& console) {
    const auto file = ReadRingtoneText(console, options.input);
    if (!file) {
        return console.Refuse(file.error().message);
    }
    const melody::MelodyFields fields = FieldsFromRingtone(*file);
    if (!melody::NameFitsRtxText(fields.name)) {
        console.Warn(melody::kRtxNameChangedText);
    }
    const std::string line = melody::WriteRtxText(fields);
    return WriteAndFinish(console, options.output, formats::ToBytes(line));
}

void AddEncode(CLI::App& app, CommandTable& table) {
    const auto [encode, options] = table.AddCommandWith<EncodeOptions>(
        app, "encode",
        "Save ringtone files (RTX or ERT text; also RE, MIDI, .ott, iMelody and Composer files, recognised by their "
        "content) as RE "
        "files, one melody record each, or as ringtone text, MIDI, .ott, iMelody or Composer codes with --to.",
        "  belltower-cli encode beep.rtx                 writes beep.re beside beep.rtx\n"
        "  belltower-cli encode beep.rtx -o BEEP.RE --unicode\n"
        "  belltower-cli encode *.rtx *.ert -d records   one .re per input, in records/\n"
        "  belltower-cli encode - -o - < beep.rtx > beep.re\n"
        "  belltower-cli encode song.mid --to rtx         writes song.rtx beside song.mid",
        Encode);
    encode
        ->add_option("IN", options->inputs,
                     "Ringtone, RE, MIDI, .ott, iMelody or Composer files; - reads standard input.")
        ->required();
    CLI::Option* output = encode->add_option("-o,--output", options->output,
                                             "The file to write (one input only); - writes standard output.");
    output->type_name("OUT")->check(NonEmptyPath());
    CLI::Option* directory =
        encode->add_option("-d,--directory", options->directory,
                           "Folder for the files written, each named after its input with the extension of its "
                           "format (.re, .rtx, .mid, .ott, .imy, .txt; needed for several inputs).");
    directory->type_name("DIR")->check(NonEmptyPath());
    output->excludes(directory);
    encode->add_flag("--unicode", options->unicode,
                     "Write the name in Unicode, for the 6210 and 7110 (default: ASCII, for the 3210 and 3310).");
    encode->add_flag("--twice", options->playTwice, "Suggest playing twice.");
    encode->add_flag("--no-small-pauses", options->noSmallPauses,
                     "Disable small pauses between identical tones (NOT recommended!).");
    AddMelodyOutputOption(
        *encode, options->to, RecordChoices::Re,
        "The format to write: an RE file (default), ringtone text, MIDI, .ott, iMelody or Composer codes.");
    AddMelodyInputOptions(*encode, options->reading);
}

void AddToRtx(CLI::App& app, CommandTable& table) {
    const auto [toRtx, options] = table.AddCommandWith<ToRtxOptions>(
        app, "to-rtx", "Rewrite a ringtone file as one RTX line with every setting written out.",
        "  belltower-cli to-rtx beep.txt -o beep.rtx\n"
        "  belltower-cli to-rtx - -o - < beep.txt",
        ToRtx);
    toRtx->add_option("IN", options->input, "Ringtone file (RTX or ERT text); - reads standard input.")->required();
    AddOutputOption(*toRtx, options->output, "The RTX file to write; - writes standard output.", "OUT.rtx");
}

}  // namespace

void AddMelodyCommands(CLI::App& app, CommandTable& table) {
    AddEncode(app, table);
    AddToRtx(app, table);
}

}  // namespace belltower::cli
