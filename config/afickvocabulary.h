// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

/**
 * The fixed vocabulary of afick attribute names offered by the rule and alias
 * editors, and the translated descriptions shown for attribute codes.
 *
 * The tables are built once when the library is loaded, in the language
 * active at that moment, and never change afterwards.
 */
namespace AfickVocabulary
{
/// afick's attribute codes followed by its built-in sets "all", "R", "L", "P" and "E", in the order they are offered.
const QStringList &AttributeChoiceNames();
/// Attribute code to its translated description; the built-in sets have none.
const QMap<QString, QString> &AttributeDescriptions();
/// Translated description to its attribute code.
const QMap<QString, QString> &AttributeCodesByDescription();

/// Whether @p name is one of afick's attribute codes ("md5", "u"...).
bool isAttributeCode(const QString &name);
/// The attribute codes afick's built-in set @p name stands for, or null when @p name is none.
const QStringList *builtInSet(const QString &name);

/// The description of @p name, or @p name itself when it is not an attribute code.
QString toDescription(const QString &name);
QStringList toDescription(const QStringList &names);
/// The code described by @p text, or @p text itself when it is no description.
QString toCode(const QString &text);
QStringList toCode(const QStringList &texts);

/**
 * An attribute term of a rule or alias as shown: a term that removes an
 * attribute ("-md5", as the file writes it) starts with a minus sign
 * (U+2212), followed by the name, or its description when @p described.
 * A description that one of @p aliasNames equals is shown with the code
 * ("user (u)"), so that an attribute never looks like an alias.
 */
QString toShownTerm(const QString &term, bool described, const QStringList &aliasNames = {});
QStringList toShownTerms(const QStringList &terms, bool described, const QStringList &aliasNames = {});
/**
 * The term a shown text stands for; a leading U+2212 or "-" makes a minus
 * term. One of @p aliasNames is that alias, whatever an attribute is
 * described as.
 */
QString toStoredTerm(const QString &shown, bool described, const QStringList &aliasNames = {});
}
