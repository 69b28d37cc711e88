// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickattributeterms.h"
#include "afickrecords.h"

#include <QObject>

/**
 * The rule of the path selected in the file-system tree, as the user
 * interface edits it; one per process.
 *
 * Loading a rule (assignRule, setAliasNames) is no edit, so selecting a path
 * never alters the configuration: it announces only ruleChanged() and, for
 * another path, pathChanged(). Every edit announces itself through
 * attributesChanged() as well, on which the tree model writes the rule back.
 *
 * The attributes are edited as AfickAttributeTerms: a term that removes an
 * attribute from a set ("-md5" in "ETC-md5") is shown as "−md5" (U+2212) and
 * accepted back in that form or as "-md5".
 */
class AfickCurrentRule : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString prefix READ prefix WRITE setPrefix NOTIFY ruleChanged)
    Q_PROPERTY(QString path READ path NOTIFY pathChanged)
    Q_PROPERTY(QStringList attributes READ attributes NOTIFY ruleChanged)
    Q_PROPERTY(QStringList unusedAttributes READ unusedAttributes NOTIFY ruleChanged)
    Q_PROPERTY(bool showFullNames READ showFullNames WRITE setShowFullNames NOTIFY ruleChanged)

public:
    /// The process-wide instance, created on first use and never destroyed.
    static AfickCurrentRule *instance();

    /// Takes over the prefix, path and attributes of @p rule; no edit.
    void assignRule(const AfickRule &rule);
    /// The alias names offered by unusedAttributes(); no edit.
    void setAliasNames(const QStringList &names);
    /// The rule as codes, whatever showFullNames says.
    AfickRule rule() const;

    QString prefix() const;
    void setPrefix(const QString &prefix);
    QString path() const;
    QStringList attributes() const;
    /// The alias names, then the vocabulary, less what the rule already has.
    QStringList unusedAttributes() const;

    bool showFullNames() const;
    void setShowFullNames(bool showFullNames);

    /// Appends @p attribute unless the rule has it already.
    Q_INVOKABLE void addAttribute(const QString &attribute);
    /// Removes every occurrence of @p attribute.
    Q_INVOKABLE void removeAttribute(const QString &attribute);

Q_SIGNALS:
    /// The user edited the rule.
    void attributesChanged();
    /// What the rule shows changed: by an edit, or because another rule was loaded.
    void ruleChanged();
    void pathChanged();

private:
    AfickCurrentRule() = default;

    void announceEdit();

    QString m_prefix;
    QString m_path;
    AfickAttributeTerms m_attributes;
};
