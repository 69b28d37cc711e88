// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickattributeterms.h"
#include "afickrecords.h"

#include <QObject>

/**
 * The edited aliases of the afick configuration, one set per process.
 *
 * The configuration editor fills it after every parse and compares it with
 * what it parsed; the user interface lists, selects, renames and edits the
 * aliases. The current alias's attributes are edited as AfickAttributeTerms,
 * as a rule's are.
 * Blanks around names and attributes are no part of them.
 */
class AfickAliasEditor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList aliases READ aliases NOTIFY attributesChanged)
    Q_PROPERTY(bool showFullNames READ showFullNames WRITE setShowFullNames NOTIFY attributesChanged)
    Q_PROPERTY(QString currentAlias READ currentAlias WRITE setCurrentAlias NOTIFY attributesChanged)
    Q_PROPERTY(QStringList aliasAttributes READ aliasAttributes NOTIFY attributesChanged)
    Q_PROPERTY(QStringList unusedAliasAttributes READ unusedAliasAttributes NOTIFY attributesChanged)

public:
    /// The process-wide instance, created on first use and never destroyed.
    static AfickAliasEditor *instance();

    AfickAliasMap &aliasMap();
    /// Replaces all aliases; the current alias stays selected even if @p map lacks it.
    void setAliasMap(const AfickAliasMap &map);

    /// Alias names, as they are.
    QStringList aliases() const;

    bool showFullNames() const;
    void setShowFullNames(bool showFullNames);

    QString currentAlias() const;
    /// Selects @p name, creating an empty alias of that name when there is none.
    void setCurrentAlias(const QString &name);
    /// Deselects the current alias without notification.
    void clearCurrentAlias();

    /**
     * Why @p name cannot be given to a new or renamed alias, ready to show;
     * empty when it can. Aliases read from the file keep whatever name they
     * have there.
     */
    QString newNameProblem(const QString &name) const;

    QStringList aliasAttributes() const;
    /// The other aliases, then the vocabulary, less what the current alias holds.
    QStringList unusedAliasAttributes() const;

    /// Moves the current alias to @p name, replacing any alias of that name.
    Q_INVOKABLE void renameCurrentAlias(const QString &name);
    /// Appends @p attribute to the current alias unless it has it already.
    Q_INVOKABLE void addAliasAttribute(const QString &attribute);
    /// Removes every occurrence of @p attribute from the current alias.
    Q_INVOKABLE void removeAliasAttribute(const QString &attribute);

Q_SIGNALS:
    void attributesChanged();

private:
    AfickAliasEditor() = default;

    AfickAlias &currentRecord();
    AfickAttributeTerms currentTerms() const;

    AfickAliasMap m_aliasMap;
    QString m_currentAlias;
    bool m_showFullNames = false;
};
