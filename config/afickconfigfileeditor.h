// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

#include <QObject>
#include <QStringList>

/**
 * The in-memory afick configuration of one settings module.
 *
 * The file is kept as the lines read; only alias definitions and rules are
 * understood. Saving rewrites just the lines whose records were edited, so
 * everything the module does not understand goes back to the file unchanged.
 * Rules are edited here (currentRules), aliases in the process-wide
 * AfickAliasEditor; both are compared against what was parsed.
 */
class AfickConfigFileEditor : public QObject
{
    Q_OBJECT

public:
    explicit AfickConfigFileEditor(QObject *parent = nullptr);

    /**
     * Takes @p lines as read from the configuration file, without line
     * terminators, as the new document and parses them. All unsaved edits of
     * rules and aliases are discarded.
     */
    void applyConfigLines(const QStringList &lines);
    /// Whether the document holds a configuration that was read, so that saving it cannot wipe the file.
    bool isConfigLoaded() const;

    /**
     * Reads the configuration through the helper in the background; on
     * success the document is replaced and initEnd() follows. A failed read
     * leaves the document as it was.
     */
    void loadConfigAsync();
    /// Reads and parses the configuration through the helper, waiting for it.
    /// A failed read leaves an empty document that cannot be saved.
    void loadConfigSync();
    /**
     * Writes the edited configuration through the helper, waiting for it.
     * Nothing is written unless the document holds a configuration that was
     * read: saving after a failed load would replace the whole file with the
     * few edited lines.
     */
    void saveConfig();
    /// Asks the helper to put the previous configuration back; true on success.
    bool rollbackConfig();

    /// The file as last read; parsing and saving never change it.
    const QStringList &configLines() const;
    const AfickAliasMap &parsedAliases() const;
    const AfickRuleMap &parsedRules() const;
    const LineIndexMap &aliasLineIndex() const;
    const LineIndexMap &ruleLineIndex() const;

    /// The rules as edited.
    AfickRuleMap &currentRules();
    const AfickRuleMap &currentRules() const;
    /// The aliases as edited, held by AfickAliasEditor.
    AfickAliasMap &currentAliases();
    /// Inserts or replaces the edited rule of @p rule's path.
    void setRule(const AfickRule &rule);

    /// Whether any rule or alias differs from what was parsed.
    bool hasChanges() const;
    bool isRuleChanged(const QString &path) const;
    bool isAliasChanged(const QString &name) const;

    /**
     * The lines that saving writes: the lines read, with the edited aliases
     * and rules rewritten in place, new rules appended, new aliases placed
     * after the last alias definition, and empty lines dropped. A record
     * whose line would not read back as the same record (one holding a line
     * break, a blank in a path, an "=" in a rule) is not written; a line it
     * would have replaced stays as read.
     */
    QStringList linesToSave() const;

    /// "name = a+b", or an empty string (no line) when the alias has no attributes.
    static QString formatAliasLine(const AfickAlias &alias);
    /// "[prefix]path a+b", or an empty string (no line) when the rule has no attributes.
    static QString formatRuleLine(const AfickRule &rule);

Q_SIGNALS:
    void initEnd();
    /// A read has ended, after its messages and, on success, after the new
    /// document was parsed; a failed read changed nothing but its messages.
    void readFinished(bool succeeded);
    void readConfigError(const QString &error);
    void writeConfigError(const QString &error);

private:
    /// Logs the message and hands it to the interface.
    void reportReadError(const QString &error);
    void reportWriteError(const QString &error);
    QStringList readConfigSync(bool *succeeded);
    void writeConfig(const QStringList &lines);
    void replaceDocument(const QStringList &lines, bool read);
    void parseConfig();

    QStringList m_configLines;
    AfickAliasMap m_parsedAliases;
    AfickRuleMap m_parsedRules;
    LineIndexMap m_aliasLineIndex;
    LineIndexMap m_ruleLineIndex;
    AfickRuleMap m_currentRules;
    bool m_configLoaded = false;
};
