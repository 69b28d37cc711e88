// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickconfigtext.h"
#include "afickrecords.h"

#include <QObject>
#include <QStringList>

/**
 * The in-memory afick configuration of one settings module.
 *
 * The file is kept as the lines read, each with its bytes; only alias
 * definitions and rules are understood. Saving rewrites just the lines whose
 * records were edited, so every other line goes back to the file byte for
 * byte, blank lines included.
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
    /// Takes the file's bytes @p content as the new document and parses it.
    void applyConfigBytes(const QByteArray &content);
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
     * The text of the lines that saving writes: the lines read, with the
     * edited aliases and rules rewritten in place, deleted ones removed, new
     * rules appended and new aliases placed after the last alias definition.
     * A record whose line would not read back as the same record (one holding
     * a line break, a double quote in a path) has no line here; a
     * line it would have replaced stays as read. Saving refuses such records.
     */
    QStringList linesToSave() const;
    /**
     * The file that saving writes: every line not edited with its bytes as
     * read, every edited line encoded as the line it replaces was. Null, with
     * the reasons in @p error, when an edited record cannot be written or an
     * edited line cannot be encoded so.
     */
    QByteArray bytesToSave(QString *error) const;

    /// "name = a+b-c", or an empty string (no line) when the alias has no attributes.
    static QString formatAliasLine(const AfickAlias &alias);
    /// "[prefix]path a+b-c", "!path" for an exclusion without attributes, or
    /// an empty string (no line) for any other rule without attributes.
    static QString formatRuleLine(const AfickRule &rule);
    /// Attribute terms as afick writes them: "ETC-md5+sha1".
    static QString formatAttributes(const QStringList &attributes);

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
    AfickConfigText readConfigSync(bool *succeeded);
    void writeConfig(const QByteArray &content);
    void replaceDocument(const AfickConfigText &text, bool read);
    void parseConfig();

    struct SavedLine;
    QVector<SavedLine> composeLines(QStringList *problems) const;

    AfickConfigText m_text;
    QStringList m_configLines;
    AfickAliasMap m_parsedAliases;
    AfickRuleMap m_parsedRules;
    LineIndexMap m_aliasLineIndex;
    LineIndexMap m_ruleLineIndex;
    AfickRuleMap m_currentRules;
    bool m_configLoaded = false;
};
