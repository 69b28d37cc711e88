// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Parses an arbitrary configuration, applies arbitrary edits, and parses
// what the writer would save. Every line no edit touched is there byte for
// byte and in its order; every other line is that of a changed record. The
// file holds as many malformed lines as the file read, and every record must
// read back as edited: a changed record as its new value, a deleted one not
// at all (unless the file held an earlier line for the same key, which then
// shows again). A record whose line could not read back as itself, or an
// edited line its encoding cannot hold, makes the save refuse to write.
//
// Input: the configuration's bytes, then a NUL, then edits separated
// by 0x1e, each made of fields separated by 0x1f, attributes by 0x1d:
//   r prefix path attrs   set a rule        R path          delete a rule
//   a name attrs          set an alias      x name          delete an alias
//   n old new             rename an alias   + name attr     add an attribute
//   - name attr           remove an attribute

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"
#include "afickconfigtext.h"
#include "filelines.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace
{
// Per key: the record that must read back, or nullopt for none. Keys in
// "unchecked" are deleted ones with an earlier duplicate line in the file.
template<typename Record>
struct Expectation {
    QMap<QString, std::optional<Record>> records;
    QSet<QString> unchecked;
};

QStringList fieldsOf(const QString &edit)
{
    return edit.split(QChar(0x1f));
}

QString field(const QStringList &fields, int index)
{
    return index < fields.size() ? fields.at(index) : QString();
}

QStringList attributesOf(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(QChar(0x1d));
}

void applyEdits(AfickConfigFileEditor &editor, const QString &edits)
{
    AfickAliasEditor *aliases = AfickAliasEditor::instance();
    for (const QString &edit : edits.split(QChar(0x1e), Qt::SkipEmptyParts)) {
        const QStringList fields = fieldsOf(edit);
        const QString op = fields.at(0);
        if (op == QLatin1String("r")) {
            editor.setRule(AfickRule{field(fields, 1), field(fields, 2), attributesOf(field(fields, 3))});
        } else if (op == QLatin1String("R")) {
            editor.currentRules().remove(field(fields, 1));
        } else if (op == QLatin1String("a")) {
            aliases->aliasMap().insert(field(fields, 1), AfickAlias{field(fields, 1), attributesOf(field(fields, 2))});
        } else if (op == QLatin1String("x")) {
            aliases->aliasMap().remove(field(fields, 1));
        } else if (op == QLatin1String("n")) {
            aliases->setCurrentAlias(field(fields, 1));
            aliases->renameCurrentAlias(field(fields, 2));
        } else if (op == QLatin1String("+")) {
            aliases->setCurrentAlias(field(fields, 1));
            aliases->addAliasAttribute(field(fields, 2));
        } else if (op == QLatin1String("-")) {
            aliases->setCurrentAlias(field(fields, 1));
            aliases->removeAliasAttribute(field(fields, 2));
        }
    }
}

// Parsing replaces the process-wide aliases, so every parse below comes
// after the edited aliases were copied.
struct Parsed {
    AfickRuleMap rules;
    AfickAliasMap aliases;
    int malformedLines = 0;
};

Parsed parse(const QStringList &lines)
{
    AfickConfigFileEditor editor;
    int malformedLines = 0;
    QObject::connect(&editor, &AfickConfigFileEditor::readConfigError, [&malformedLines] {
        ++malformedLines;
    });
    editor.applyConfigLines(lines);
    return {editor.parsedRules(), AfickAliasEditor::instance()->aliasMap(), malformedLines};
}

// How many lines of the file read as a record of each key.
struct LineCounts {
    QHash<QString, int> rules;
    QHash<QString, int> aliases;
};

LineCounts countLines(const QStringList &lines)
{
    LineCounts counts;
    for (const QString &line : lines) {
        const Parsed one = parse({line});
        for (const QString &key : one.rules.keys()) {
            ++counts.rules[key];
        }
        for (const QString &key : one.aliases.keys()) {
            ++counts.aliases[key];
        }
    }
    return counts;
}

bool hasLine(const AfickAlias &alias)
{
    return !alias.attributes.isEmpty();
}

bool hasLine(const AfickRule &rule)
{
    return !rule.attributes.isEmpty() || rule.prefix == QLatin1String("!");
}

bool readsBack(const AfickRule &rule)
{
    const Parsed one = parse({AfickConfigFileEditor::formatRuleLine(rule)});
    return one.rules.size() == 1 && one.aliases.isEmpty() && one.rules.first() == rule;
}

bool readsBack(const AfickAlias &alias)
{
    const Parsed one = parse({AfickConfigFileEditor::formatAliasLine(alias)});
    return one.aliases.size() == 1 && one.rules.isEmpty() && one.aliases.first() == alias;
}

template<typename Record>
Expectation<Record> expect(const QMap<QString, Record> &parsed, const QMap<QString, Record> &edited, const QHash<QString, int> &lineCounts, bool *writable)
{
    Expectation<Record> expected;
    const QStringList keys = parsed.keys() + edited.keys();
    for (const QString &key : keys) {
        const std::optional<Record> asRead = parsed.contains(key) ? std::optional<Record>(parsed.value(key)) : std::nullopt;
        const Record after = edited.value(key);
        if (after == parsed.value(key)) {
            expected.records.insert(key, asRead);
        } else if (!hasLine(after)) {
            if (lineCounts.value(key) > 1) {
                expected.unchecked.insert(key);
            } else {
                expected.records.insert(key, std::nullopt);
            }
        } else {
            *writable = *writable && readsBack(after);
            expected.records.insert(key, after);
        }
    }
    return expected;
}

template<typename Record>
void check(const char *what, const Expectation<Record> &expected, const QMap<QString, Record> &actual)
{
    for (auto it = expected.records.cbegin(); it != expected.records.cend(); ++it) {
        const bool present = actual.contains(it.key());
        if (present != it.value().has_value() || (present && actual.value(it.key()) != *it.value())) {
            std::fprintf(stderr, "%s \"%s\" does not read back as edited\n", what, qPrintable(it.key()));
            std::abort();
        }
    }
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        if (!expected.records.contains(it.key()) && !expected.unchecked.contains(it.key())) {
            std::fprintf(stderr, "%s \"%s\" appeared without being edited\n", what, qPrintable(it.key()));
            std::abort();
        }
    }
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    // The parser reports every malformed line; thousands of warnings would
    // only slow the fuzzer down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int separator = input.indexOf('\0');
    const QByteArray content = input.left(separator < 0 ? input.size() : separator);
    const QString edits = separator < 0 ? QString() : QString::fromUtf8(input.mid(separator + 1));
    const QStringList lines = AfickConfigText::fromBytes(content).texts();

    AfickAliasEditor::instance()->clearCurrentAlias();
    AfickConfigFileEditor editor;
    editor.applyConfigBytes(content);
    const AfickRuleMap parsedRules = editor.parsedRules();
    const AfickAliasMap parsedAliases = editor.parsedAliases();
    const LineIndexMap ruleLines = editor.ruleLineIndex();
    const LineIndexMap aliasLines = editor.aliasLineIndex();
    applyEdits(editor, edits);
    const AfickRuleMap editedRules = editor.currentRules();
    const AfickAliasMap editedAliases = AfickAliasEditor::instance()->aliasMap();
    QString error;
    const QByteArray saved = editor.bytesToSave(&error);
    if (editor.configLines() != lines) {
        std::abort();
    }

    const LineCounts counts = countLines(lines);
    bool writable = true;
    const auto expectedRules = expect(parsedRules, editedRules, counts.rules, &writable);
    const auto expectedAliases = expect(parsedAliases, editedAliases, counts.aliases, &writable);
    if (!writable || !error.isEmpty()) {
        // A refused save writes nothing; it is refused only for a record
        // that cannot be written, or for an edited line its encoding lacks.
        if (error.isEmpty() || !saved.isNull() || (writable && !error.contains(QLatin1String("encoding")))) {
            std::fprintf(stderr, "a save was refused wrongly, or not refused: \"%s\"\n", qPrintable(error));
            std::abort();
        }
        return 0;
    }

    const Parsed reread = parse(AfickConfigText::fromBytes(saved).texts());
    // The writer keeps every malformed line as it was and adds none.
    if (reread.malformedLines != parse(lines).malformedLines) {
        std::fprintf(stderr, "the saved configuration has %d malformed lines\n", reread.malformedLines);
        std::abort();
    }
    check("rule", expectedRules, reread.rules);
    check("alias", expectedAliases, reread.aliases);

    // Every untouched line keeps its bytes and order; only the file's
    // unterminated last line may gain a terminator, when lines follow it.
    const bool byteOrderMark = content.startsWith("\xEF\xBB\xBF");
    const QByteArrayList before = linesOf(content.mid(byteOrderMark ? 3 : 0));
    QByteArrayList untouched;
    for (int index = 0; index < before.size(); ++index) {
        const QString alias = aliasLines.key(index);
        const QString path = ruleLines.key(index);
        const bool touched = (!alias.isNull() && editedAliases.value(alias) != parsedAliases.value(alias))
            || (!path.isNull() && editedRules.value(path) != parsedRules.value(path));
        if (!touched) {
            untouched.append(before.at(index));
        }
    }
    int next = 0;
    int rewritten = 0;
    for (const QByteArray &line : linesOf(saved.mid(byteOrderMark ? 3 : 0))) {
        if (next < untouched.size()
            && (line == untouched.at(next)
                || (!untouched.at(next).endsWith('\n') && (line == untouched.at(next) + "\n" || line == untouched.at(next) + "\r\n")))) {
            ++next;
        } else {
            ++rewritten;
        }
    }
    int changed = 0;
    for (const AfickAlias &alias : editedAliases) {
        changed += hasLine(alias) && alias != parsedAliases.value(alias.name);
    }
    for (const AfickRule &rule : editedRules) {
        changed += hasLine(rule) && rule != parsedRules.value(rule.path);
    }
    if (next != untouched.size() || rewritten != changed) {
        std::fprintf(stderr, "%d of %d untouched lines kept, %d lines rewritten for %d changed records\n", next, int(untouched.size()), rewritten, changed);
        std::abort();
    }
    return 0;
}
