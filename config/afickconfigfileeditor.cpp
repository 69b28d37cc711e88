// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickconfigfileeditor.h"

#include "afickaliaseditor.h"
#include "afickattributecheck.h"
#include "afickconfigsyntax.h"
#include "helperrequest.h"
#include "protocol.h"

#include <KLocalizedString>

#include "kcm_trustwatch_debug.h"

#include <algorithm>

namespace
{
using AfickConfigSyntax::LineReading;

// A record whose line would read back as something else (a line break that
// smuggles in further lines, a double quote that ends a quoted path early)
// would damage the file; such a record is never written. An empty text is no
// line at all, which is how a deletion is written.
bool readsBackAs(const QString &text, const AfickAlias &alias)
{
    if (text.isEmpty()) {
        return true;
    }
    const LineReading reading = AfickConfigSyntax::readLine(text);
    return reading.kind == LineReading::Alias && reading.alias == alias;
}

bool readsBackAs(const QString &text, const AfickRule &rule)
{
    if (text.isEmpty()) {
        return true;
    }
    const LineReading reading = AfickConfigSyntax::readLine(text);
    return reading.kind == LineReading::Rule && reading.rule == rule;
}

AfickConfigText textOf(const QVariantMap &data)
{
    const QVariant content = data.value(Protocol::Reply::RawConfig);
    if (content.isValid()) {
        return AfickConfigText::fromBytes(content.toByteArray());
    }
    return AfickConfigText::fromLines(data.value(Protocol::Reply::Config).toStringList());
}
}

struct AfickConfigFileEditor::SavedLine {
    AfickConfigLine line;
    /// The text replaces the bytes, encoded as the line's were.
    bool edited = false;
    bool deleted = false;
};

AfickConfigFileEditor::AfickConfigFileEditor(QObject *parent)
    : QObject(parent)
{
}

void AfickConfigFileEditor::reportReadError(const QString &error)
{
    qCWarning(KCM_TRUSTWATCH) << "readConfigError:" << error;
    Q_EMIT readConfigError(error);
}

void AfickConfigFileEditor::reportWriteError(const QString &error)
{
    qCWarning(KCM_TRUSTWATCH) << "writeConfigError:" << error;
    Q_EMIT writeConfigError(error);
}

void AfickConfigFileEditor::applyConfigLines(const QStringList &lines)
{
    replaceDocument(AfickConfigText::fromLines(lines), true);
}

void AfickConfigFileEditor::applyConfigBytes(const QByteArray &content)
{
    replaceDocument(AfickConfigText::fromBytes(content), true);
}

void AfickConfigFileEditor::replaceDocument(const AfickConfigText &text, bool read)
{
    m_text = text;
    m_configLines = text.texts();
    m_configLoaded = read;
    parseConfig();
}

void AfickConfigFileEditor::loadConfigAsync()
{
    HelperRequest::start(Protocol::Action::ReadConfig, {}, this, [this](const HelperReply &reply) {
        if (!reply.succeeded()) {
            reportReadError(reply.errorString);
            Q_EMIT readFinished(false);
            return;
        }
        const AfickConfigText text = textOf(reply.data);
        if (text.lines().isEmpty()) {
            reportReadError(i18nc("@info", "Afick config is empty"));
        }
        replaceDocument(text, true);
        Q_EMIT initEnd();
        Q_EMIT readFinished(true);
    });
}

AfickConfigText AfickConfigFileEditor::readConfigSync(bool *succeeded)
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::ReadConfig);
    *succeeded = reply.succeeded();
    if (!reply.succeeded()) {
        reportReadError(reply.errorString);
        return {};
    }
    const AfickConfigText text = textOf(reply.data);
    if (text.lines().isEmpty()) {
        reportReadError(i18nc("@info", "Afick config is empty"));
    }
    return text;
}

void AfickConfigFileEditor::loadConfigSync()
{
    bool succeeded = false;
    const AfickConfigText text = readConfigSync(&succeeded);
    replaceDocument(text, succeeded);
    Q_EMIT readFinished(succeeded);
}

void AfickConfigFileEditor::saveConfig()
{
    if (!m_configLoaded) {
        reportWriteError(i18n("The configuration has not been read; nothing was saved."));
        return;
    }
    const QString attributeProblem = AfickAttributeCheck::problem(m_currentRules, AfickAliasEditor::instance()->aliasMap(), m_parsedRules, m_parsedAliases);
    if (!attributeProblem.isEmpty()) {
        reportWriteError(attributeProblem);
        return;
    }
    // Before anything is written: an edit that cannot be saved must not
    // vanish in a save that looks successful.
    QString error;
    const QByteArray content = bytesToSave(&error);
    if (!error.isEmpty()) {
        reportWriteError(error);
        return;
    }
    writeConfig(content);
}

void AfickConfigFileEditor::writeConfig(const QByteArray &content)
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::WriteConfig, {{Protocol::Argument::RawConfig, content}});
    if (!reply.succeeded()) {
        reportWriteError(reply.errorString);
    }
}

bool AfickConfigFileEditor::rollbackConfig()
{
    return HelperRequest::run(Protocol::Action::RollbackConfig).succeeded();
}

bool AfickConfigFileEditor::isConfigLoaded() const
{
    return m_configLoaded;
}

const QStringList &AfickConfigFileEditor::configLines() const
{
    return m_configLines;
}

const AfickAliasMap &AfickConfigFileEditor::parsedAliases() const
{
    return m_parsedAliases;
}

const AfickRuleMap &AfickConfigFileEditor::parsedRules() const
{
    return m_parsedRules;
}

const LineIndexMap &AfickConfigFileEditor::aliasLineIndex() const
{
    return m_aliasLineIndex;
}

const LineIndexMap &AfickConfigFileEditor::ruleLineIndex() const
{
    return m_ruleLineIndex;
}

AfickRuleMap &AfickConfigFileEditor::currentRules()
{
    return m_currentRules;
}

const AfickRuleMap &AfickConfigFileEditor::currentRules() const
{
    return m_currentRules;
}

AfickAliasMap &AfickConfigFileEditor::currentAliases()
{
    return AfickAliasEditor::instance()->aliasMap();
}

void AfickConfigFileEditor::setRule(const AfickRule &rule)
{
    m_currentRules.insert(rule.path, rule);
}

void AfickConfigFileEditor::parseConfig()
{
    m_parsedRules.clear();
    m_parsedAliases.clear();
    m_aliasLineIndex.clear();
    m_ruleLineIndex.clear();

    for (int index = 0; index < m_configLines.size(); ++index) {
        const QString &line = m_configLines.at(index);
        const LineReading reading = AfickConfigSyntax::readLine(line);
        switch (reading.kind) {
        case LineReading::Skipped:
            break;
        case LineReading::Alias:
            m_parsedAliases.insert(reading.alias.name, reading.alias);
            m_aliasLineIndex.insert(reading.alias.name, index);
            break;
        case LineReading::Rule:
            m_parsedRules.insert(reading.rule.path, reading.rule);
            m_ruleLineIndex.insert(reading.rule.path, index);
            break;
        case LineReading::WrongAlias:
            reportReadError(i18nc("@info %1 is a line of the configuration file", "Wrong alias: %1", line));
            break;
        case LineReading::WrongRule:
            reportReadError(i18nc("@info %1 is a line of the configuration file", "Wrong rule: %1", line));
            break;
        }
    }

    m_currentRules = m_parsedRules;
    AfickAliasEditor::instance()->setAliasMap(m_parsedAliases);
}

bool AfickConfigFileEditor::hasChanges() const
{
    return m_parsedRules != m_currentRules || m_parsedAliases != AfickAliasEditor::instance()->aliasMap();
}

bool AfickConfigFileEditor::isRuleChanged(const QString &path) const
{
    return m_currentRules.value(path) != m_parsedRules.value(path);
}

bool AfickConfigFileEditor::isAliasChanged(const QString &name) const
{
    return AfickAliasEditor::instance()->aliasMap().value(name) != m_parsedAliases.value(name);
}

QString AfickConfigFileEditor::formatAliasLine(const AfickAlias &alias)
{
    return AfickConfigSyntax::formatAliasLine(alias);
}

QString AfickConfigFileEditor::formatRuleLine(const AfickRule &rule)
{
    return AfickConfigSyntax::formatRuleLine(rule);
}

QString AfickConfigFileEditor::formatAttributes(const QStringList &attributes)
{
    return AfickConfigSyntax::joinTerms(attributes);
}

QVector<AfickConfigFileEditor::SavedLine> AfickConfigFileEditor::composeLines(QStringList *problems) const
{
    const AfickAliasMap &aliases = AfickAliasEditor::instance()->aliasMap();
    QVector<SavedLine> lines;
    lines.reserve(m_text.lines().size());
    for (const AfickConfigLine &line : m_text.lines()) {
        lines.append(SavedLine{line});
    }
    // Replacing in place keeps every recorded line index valid; an empty text
    // is how a deletion reaches the file.
    const auto replace = [&lines](int index, const QString &text) {
        SavedLine &saved = lines[index];
        saved.line.text = text;
        saved.line.bytes.clear();
        saved.edited = !text.isEmpty();
        saved.deleted = text.isEmpty();
    };
    const QByteArray terminator = m_text.newLineTerminator();
    const auto added = [&terminator](const QString &text) {
        SavedLine saved;
        saved.line.text = text;
        saved.line.terminator = terminator;
        saved.edited = true;
        return saved;
    };
    const auto refuse = [problems](const QString &problem) {
        if (problems) {
            problems->append(problem);
        }
    };

    int lastAliasIndex = 0;
    for (auto it = m_aliasLineIndex.cbegin(); it != m_aliasLineIndex.cend(); ++it) {
        lastAliasIndex = std::max(lastAliasIndex, it.value());
        if (isAliasChanged(it.key())) {
            const AfickAlias alias = aliases.value(it.key());
            const QString text = formatAliasLine(alias);
            if (readsBackAs(text, alias)) {
                replace(it.value(), text);
            } else {
                refuse(i18n("Nothing was saved: the alias \"%1\" cannot be written as a line of the configuration.", alias.name));
            }
        }
    }
    for (auto it = m_ruleLineIndex.cbegin(); it != m_ruleLineIndex.cend(); ++it) {
        if (isRuleChanged(it.key())) {
            const AfickRule rule = m_currentRules.value(it.key());
            const QString text = formatRuleLine(rule);
            if (readsBackAs(text, rule)) {
                replace(it.value(), text);
            } else {
                refuse(i18n("Nothing was saved: the rule for \"%1\" cannot be written as a line of the configuration.", rule.path));
            }
        }
    }

    for (auto it = m_currentRules.cbegin(); it != m_currentRules.cend(); ++it) {
        if (m_parsedRules.contains(it.key())) {
            continue;
        }
        const QString text = formatRuleLine(it.value());
        if (!readsBackAs(text, it.value())) {
            refuse(i18n("Nothing was saved: the rule for \"%1\" cannot be written as a line of the configuration.", it.value().path));
        } else if (!text.isEmpty()) {
            lines.append(added(text));
        }
    }

    // New aliases go right after the last alias definition, in descending
    // name order; without any alias definition, after the first line (or at
    // the end of a shorter file).
    int position = std::min(lastAliasIndex + 1, int(lines.size()));
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it) {
        if (m_parsedAliases.contains(it.key())) {
            continue;
        }
        const QString text = formatAliasLine(it.value());
        if (!readsBackAs(text, it.value())) {
            refuse(i18n("Nothing was saved: the alias \"%1\" cannot be written as a line of the configuration.", it.value().name));
        } else if (!text.isEmpty()) {
            lines.insert(position, added(text));
        }
    }

    lines.erase(std::remove_if(lines.begin(),
                               lines.end(),
                               [](const SavedLine &saved) {
                                   return saved.deleted;
                               }),
                lines.end());
    // A last line without a terminator that now has lines after it needs one.
    for (int index = 0; index + 1 < lines.size(); ++index) {
        if (lines.at(index).line.terminator.isEmpty()) {
            lines[index].line.terminator = terminator;
        }
    }
    return lines;
}

QStringList AfickConfigFileEditor::linesToSave() const
{
    QStringList texts;
    for (const SavedLine &saved : composeLines(nullptr)) {
        texts.append(saved.line.text);
    }
    return texts;
}

QByteArray AfickConfigFileEditor::bytesToSave(QString *error) const
{
    QStringList problems;
    const QVector<SavedLine> lines = composeLines(&problems);
    QByteArray content = m_text.byteOrderMark();
    for (const SavedLine &saved : lines) {
        QByteArray bytes = saved.line.bytes;
        if (saved.edited && !AfickConfigText::encode(saved.line.text, saved.line.localeEncoded, &bytes)) {
            problems.append(i18n("Nothing was saved: the line \"%1\" cannot be written in the encoding of its place in the file, %2.",
                                 saved.line.text,
                                 AfickConfigText::encodingName(saved.line.localeEncoded)));
        }
        content += bytes + saved.line.terminator;
    }
    error->clear();
    if (!problems.isEmpty()) {
        *error = problems.join(QLatin1Char('\n'));
        return QByteArray();
    }
    return content;
}
