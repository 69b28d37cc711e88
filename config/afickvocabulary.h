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
/// The 13 attribute codes followed by afick's built-in sets "all", "R", "L" and "E", in the order they are offered.
const QStringList &AttributeChoiceNames();
/// Attribute code to its translated description; the built-in sets have none.
const QMap<QString, QString> &AttributeDescriptions();
/// Translated description to its attribute code.
const QMap<QString, QString> &AttributeCodesByDescription();

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
 */
QString toShownTerm(const QString &term, bool described);
QStringList toShownTerms(const QStringList &terms, bool described);
/// The term a shown text stands for; a leading U+2212 or "-" makes a minus term.
QString toStoredTerm(const QString &shown, bool described);
}
