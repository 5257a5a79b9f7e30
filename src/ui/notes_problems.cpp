// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/notes_problems.h"

#include <QStringList>

#include <cctype>
#include <vector>

#include "ui/core_text.h"

namespace belltower::ui {
namespace {

// The tokens that wrote nothing and are no tag: a tempo tag (t...) and a vibration tag (v...)
// write no tone data either, but the language knows them.
std::vector<melody::TextRange> IgnoredTokens(const std::string& notes, const melody::EncodeResult& encoded) {
    std::vector<melody::TextRange> ignored;
    for (const melody::TokenSpan& span : encoded.tokenSpans) {
        if (span.dataStart != span.dataEnd || span.text.length == 0 || span.text.start >= notes.size()) {
            continue;
        }
        const auto first = static_cast<unsigned char>(notes[span.text.start]);
        if (std::tolower(first) != 't' && std::tolower(first) != 'v') {
            ignored.push_back(span.text);
        }
    }
    return ignored;
}

QString Counted(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

void KeepFirst(std::optional<melody::TextRange>& first, const melody::TextRange& range) {
    if (!first || range.start < first->start) {
        first = range;
    }
}

}  // namespace

NotesProblems FindNotesProblems(const std::string& notes, const melody::EncodeResult& encoded,
                                melody::Hardware hardware) {
    NotesProblems problems;
    QStringList parts;
    std::size_t outOfRange = 0;
    for (const melody::TimedEvent& event : melody::EncodedTimeline(encoded).events) {
        if (!event.IsPause() && melody::OutOfRange(event.code, hardware)) {
            ++outOfRange;
            if (event.token) {
                KeepFirst(problems.first, *event.token);
            }
        }
    }
    if (outOfRange > 0) {
        const char* range = hardware == melody::Hardware::LogoManager ? "LogoManager's range" : "the phone's range";
        parts << Counted(outOfRange, "note", "notes") + QStringLiteral(" out of ") + QLatin1String(range);
    }
    const std::vector<melody::TextRange> ignored = IgnoredTokens(notes, encoded);
    if (!ignored.empty()) {
        QStringList tokens;
        for (const melody::TextRange& token : ignored) {
            KeepFirst(problems.first, token);
            tokens << FromCoreText(notes.substr(token.start, token.length));
        }
        constexpr qsizetype kNamed = 3;
        if (tokens.size() > kNamed) {
            tokens = tokens.mid(0, kNamed) << QStringLiteral("...");
        }
        parts << Counted(ignored.size(), "token", "tokens") + QStringLiteral(" ignored: ") +
                     tokens.join(QStringLiteral(", "));
    }
    problems.text = parts.join(QStringLiteral(", "));
    return problems;
}

}  // namespace belltower::ui
