// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickconfigfileeditor.h"

#include "afickaliaseditor.h"
#include "helperrequest.h"
#include "protocol.h"

#include <KLocalizedString>

#include "kcm_trustwatch_debug.h"

#include <algorithm>

namespace
{
// What one line of the file is to the module.
struct LineReading {
    enum Kind {
        Skipped,
        Alias,
        Rule,
        WrongAlias,
        WrongRule,
    };
    Kind kind = Skipped;
    AfickAlias alias;
    AfickRule rule;
};

LineReading readLine(const QString &line)
{
    LineReading reading;
    QString simplified = line.simplified();
    // Comments, directives and preprocessor lines are not the module's to edit.
    if (simplified.isEmpty() || simplified.startsWith(QLatin1Char('#')) || simplified.contains(QLatin1String(":="))
        || simplified.contains(QLatin1String("@@"))) {
        return reading;
    }
    simplified.replace(QLatin1String(" = "), QLatin1String("="));
    if (!simplified.startsWith(QLatin1Char('=')) && simplified.contains(QLatin1Char('='))) {
        const QStringList parts = simplified.split(QLatin1Char('='));
        if (parts.size() != 2) {
            reading.kind = LineReading::WrongAlias;
            return reading;
        }
        reading.kind = LineReading::Alias;
        reading.alias = AfickAlias{parts.at(0), parts.at(1).split(QLatin1Char('+'), Qt::SkipEmptyParts)};
        return reading;
    }
    QString prefix;
    if (simplified.startsWith(QLatin1Char('!')) || simplified.startsWith(QLatin1Char('='))) {
        prefix = simplified.left(1);
        simplified.remove(0, 1);
    }
    const QStringList parts = simplified.split(QLatin1Char(' '));
    // An empty path comes from a blank after the prefix ("! /boot/map"); taken
    // literally it would make the next word an attribute of the path "", and
    // every such line would overwrite the previous one.
    if (parts.size() != 2 || parts.at(0).isEmpty()) {
        reading.kind = LineReading::WrongRule;
        return reading;
    }
    reading.kind = LineReading::Rule;
    reading.rule = AfickRule{prefix, parts.at(0), parts.at(1).split(QLatin1Char('+'), Qt::SkipEmptyParts)};
    return reading;
}

// A record whose line would read back as something else (a line break that
// smuggles in further lines, a blank in a path, an "=" that turns a rule
// into an alias) would damage the file; such a record is never written. An
// empty text is no line at all, which is how a deletion is written.
bool readsBackAs(const QString &text, const AfickAlias &alias)
{
    if (text.isEmpty()) {
        return true;
    }
    const LineReading reading = readLine(text);
    return reading.kind == LineReading::Alias && reading.alias == alias;
}

bool readsBackAs(const QString &text, const AfickRule &rule)
{
    if (text.isEmpty()) {
        return true;
    }
    const LineReading reading = readLine(text);
    return reading.kind == LineReading::Rule && reading.rule == rule;
}
}

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
    replaceDocument(lines, true);
}

void AfickConfigFileEditor::replaceDocument(const QStringList &lines, bool read)
{
    m_configLines = lines;
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
        const QStringList lines = reply.data.value(Protocol::Reply::Config).toStringList();
        if (lines.isEmpty()) {
            reportReadError(i18n("Afick config is empty"));
        }
        applyConfigLines(lines);
        Q_EMIT initEnd();
        Q_EMIT readFinished(true);
    });
}

QStringList AfickConfigFileEditor::readConfigSync(bool *succeeded)
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::ReadConfig);
    *succeeded = reply.succeeded();
    if (!reply.succeeded()) {
        reportReadError(reply.errorString);
        return {};
    }
    const QStringList lines = reply.data.value(Protocol::Reply::Config).toStringList();
    if (lines.isEmpty()) {
        reportReadError(i18n("Afick config is empty"));
    }
    return lines;
}

void AfickConfigFileEditor::loadConfigSync()
{
    bool succeeded = false;
    const QStringList lines = readConfigSync(&succeeded);
    replaceDocument(lines, succeeded);
    Q_EMIT readFinished(succeeded);
}

void AfickConfigFileEditor::saveConfig()
{
    if (!m_configLoaded) {
        reportWriteError(i18n("The configuration has not been read; nothing was saved."));
        return;
    }
    writeConfig(linesToSave());
}

void AfickConfigFileEditor::writeConfig(const QStringList &lines)
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::WriteConfig, {{Protocol::Argument::Config, lines}});
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
        const LineReading reading = readLine(line);
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
            reportReadError(i18n("Wrong alias: %1", line));
            break;
        case LineReading::WrongRule:
            reportReadError(i18n("Wrong rule: %1", line));
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
    if (alias.attributes.isEmpty()) {
        return QString();
    }
    return alias.name + QLatin1String(" = ") + alias.attributes.join(QLatin1Char('+'));
}

QString AfickConfigFileEditor::formatRuleLine(const AfickRule &rule)
{
    if (rule.attributes.isEmpty()) {
        return QString();
    }
    return rule.prefix + rule.path + QLatin1Char(' ') + rule.attributes.join(QLatin1Char('+'));
}

QStringList AfickConfigFileEditor::linesToSave() const
{
    const AfickAliasMap &aliases = AfickAliasEditor::instance()->aliasMap();
    QStringList lines = m_configLines;

    // Replacing in place keeps every recorded line index valid; an emptied
    // line is how a deletion reaches the file.
    int lastAliasIndex = 0;
    for (auto it = m_aliasLineIndex.cbegin(); it != m_aliasLineIndex.cend(); ++it) {
        lastAliasIndex = std::max(lastAliasIndex, it.value());
        if (isAliasChanged(it.key())) {
            const AfickAlias alias = aliases.value(it.key());
            const QString text = formatAliasLine(alias);
            if (readsBackAs(text, alias)) {
                lines[it.value()] = text;
            }
        }
    }
    for (auto it = m_ruleLineIndex.cbegin(); it != m_ruleLineIndex.cend(); ++it) {
        if (isRuleChanged(it.key())) {
            const AfickRule rule = m_currentRules.value(it.key());
            const QString text = formatRuleLine(rule);
            if (readsBackAs(text, rule)) {
                lines[it.value()] = text;
            }
        }
    }

    for (auto it = m_currentRules.cbegin(); it != m_currentRules.cend(); ++it) {
        if (m_parsedRules.contains(it.key())) {
            continue;
        }
        const QString text = formatRuleLine(it.value());
        if (readsBackAs(text, it.value())) {
            lines.append(text);
        }
    }

    // New aliases go right after the last alias definition, in descending
    // name order; without any alias definition, after the first line (or at
    // the end of a shorter list).
    QStringList newAliasLines;
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it) {
        if (m_parsedAliases.contains(it.key())) {
            continue;
        }
        const QString text = formatAliasLine(it.value());
        if (readsBackAs(text, it.value())) {
            newAliasLines.prepend(text);
        }
    }
    lines = lines.mid(0, lastAliasIndex + 1) + newAliasLines + lines.mid(lastAliasIndex + 1);

    lines.removeAll(QString());
    return lines;
}
