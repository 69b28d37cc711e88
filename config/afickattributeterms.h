// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QStringList>

/**
 * The attribute terms of a rule or of an alias as the user interface edits
 * them. The rule editor and the alias editor both go through it, so that
 * they show the same names and read the same names back.
 *
 * Terms are shown as codes, or as translated descriptions when full names
 * are on. A name received back stands for the term it is shown for; any
 * other name is read as the alias of that name, else as a code or as a
 * description, whatever form is shown. Adding never makes a second copy.
 */
class AfickAttributeTerms
{
public:
    AfickAttributeTerms() = default;
    AfickAttributeTerms(const QStringList &terms, const QStringList &aliasNames, bool showFullNames);

    const QStringList &terms() const;
    void setTerms(const QStringList &terms);
    /// The aliases a term may name: offered by unused(), and never taken for an attribute.
    void setAliasNames(const QStringList &aliasNames);
    bool showFullNames() const;
    void setShowFullNames(bool showFullNames);

    QStringList shown() const;
    /// The alias names, then the vocabulary, less what the list holds and less @p notOffered; as shown.
    QStringList unused(const QStringList &notOffered = {}) const;

    /// Appends the term @p shownName stands for; false, and nothing changes, when the list has it already.
    bool add(const QString &shownName);
    /// Removes every occurrence of the term @p shownName stands for.
    void remove(const QString &shownName);

private:
    QString termFor(const QString &shownName) const;

    QStringList m_terms;
    QStringList m_aliasNames;
    bool m_showFullNames = false;
};
