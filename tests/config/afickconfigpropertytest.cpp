// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"
#include "afickvocabulary.h"
#include "recordstrings.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace
{
// Names and paths the line grammar can hold: no blanks, "=", "+", "#", ":=" or "@@".
const QStringList aliasNames{"Dir", "ETC", "Logs", "MyRule", "Bin2", "x_y", "a.b", "Sums", "R-ish", "Ñame"};
const QStringList segments{"etc", "var", "log", "usr", "bin", "lib", "tmp", "a.b", "x-y", "c++", "Übung"};
const QStringList prefixes{QString(), QStringLiteral("!"), QStringLiteral("=")};

class Random
{
public:
    QString pick(const QStringList &list)
    {
        return list.at(generator.bounded(list.size()));
    }
    QString path()
    {
        QString path;
        for (int depth = generator.bounded(1, 4); depth > 0; --depth) {
            path += QLatin1Char('/') + pick(segments);
        }
        return path;
    }
    QStringList attributes()
    {
        QStringList attributes;
        for (int count = generator.bounded(1, 4); count > 0; --count) {
            attributes.append(generator.bounded(4) ? pick(AfickVocabulary::AttributeChoiceNames()) : pick(aliasNames));
        }
        return attributes;
    }

    QRandomGenerator generator{20260307};
};

// Without duplicates: deleting the last of two lines for one key brings the
// earlier one back, as intended, which this test does not model.
QStringList randomFile(Random &random)
{
    QStringList lines;
    QSet<QString> keys;
    for (int i = random.generator.bounded(0, 40); i > 0; --i) {
        const QString name = random.pick(aliasNames);
        const AfickRule rule{random.pick(prefixes), random.path(), random.attributes()};
        const QString attributes = rule.attributes.join(QLatin1Char('+'));
        switch (random.generator.bounded(6)) {
        case 0:
            lines << QStringLiteral("# comment %1").arg(i) << QString() << QStringLiteral("key_%1 := value %1").arg(i) << QStringLiteral("@@define X%1").arg(i)
                  << QStringLiteral("  \t");
            break;
        case 1:
            if (!keys.contains(name)) {
                keys.insert(name);
                lines << (random.generator.bounded(2) ? name + QStringLiteral(" = ") + attributes : QStringLiteral("  %1 \t=  %2 ").arg(name, attributes));
            }
            break;
        default:
            if (!keys.contains(rule.path)) {
                keys.insert(rule.path);
                lines << (random.generator.bounded(2) ? AfickConfigFileEditor::formatRuleLine(rule)
                                                      : QStringLiteral("\t%1%2   %3 ").arg(rule.prefix, rule.path, attributes));
            }
        }
    }
    return lines;
}

// Adds, changes, deletes and renames through the same calls the user interface makes.
void editRandomly(Random &random, AfickConfigFileEditor &editor)
{
    AfickAliasEditor *aliases = AfickAliasEditor::instance();
    for (int i = random.generator.bounded(0, 10); i > 0; --i) {
        const QStringList paths = editor.currentRules().keys();
        const QStringList names = aliases->aliasMap().keys();
        switch (random.generator.bounded(7)) {
        case 0:
        case 1:
            editor.setRule(
                AfickRule{random.pick(prefixes), random.generator.bounded(2) && !paths.isEmpty() ? random.pick(paths) : random.path(), random.attributes()});
            break;
        case 2:
            if (!paths.isEmpty()) {
                editor.currentRules().remove(random.pick(paths));
            }
            break;
        case 3:
            aliases->setCurrentAlias(random.pick(aliasNames));
            aliases->addAliasAttribute(random.pick(AfickVocabulary::AttributeChoiceNames()));
            break;
        case 4:
            if (!names.isEmpty()) {
                aliases->setCurrentAlias(random.pick(names));
                aliases->removeAliasAttribute(random.pick(aliases->aliasAttributes() + QStringList{QStringLiteral("p")}));
            }
            break;
        case 5:
            if (!names.isEmpty()) {
                aliases->aliasMap().remove(random.pick(names));
            }
            break;
        default:
            if (!names.isEmpty()) {
                aliases->setCurrentAlias(random.pick(names));
                aliases->renameCurrentAlias(random.pick(aliasNames));
            }
        }
    }
}

// A record without attributes has no line: it cannot survive a save.
template<typename Map>
Map withoutEmpty(Map records)
{
    for (auto it = records.begin(); it != records.end();) {
        it = it->attributes.isEmpty() ? records.erase(it) : std::next(it);
    }
    return records;
}
}

class AfickConfigPropertyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editedStateSurvivesSaveAndParse()
    {
        Random random;
        for (int iteration = 0; iteration < 400; ++iteration) {
            AfickAliasEditor::instance()->clearCurrentAlias();
            const QStringList file = randomFile(random);
            AfickConfigFileEditor editor;
            editor.applyConfigLines(file);
            editRandomly(random, editor);
            const AfickAliasMap aliases = AfickAliasEditor::instance()->aliasMap();
            const QStringList saved = editor.linesToSave();

            AfickConfigFileEditor reread;
            reread.applyConfigLines(saved);
            QCOMPARE(describe(reread.parsedAliases()), describe(withoutEmpty(aliases)));
            QCOMPARE(describe(reread.parsedRules()), describe(withoutEmpty(editor.currentRules())));

            // Every line no edit touched is still there, in its order; the
            // other lines are exactly those of the changed and new records.
            QStringList untouched;
            for (int index = 0; index < file.size(); ++index) {
                const QString alias = editor.aliasLineIndex().key(index);
                const QString path = editor.ruleLineIndex().key(index);
                const bool touched = (!alias.isNull() && aliases.value(alias) != editor.parsedAliases().value(alias))
                    || (!path.isNull() && editor.currentRules().value(path) != editor.parsedRules().value(path));
                if (!touched && !file.at(index).isEmpty()) {
                    untouched.append(file.at(index));
                }
            }
            QStringList rewritten;
            int next = 0;
            for (const QString &line : saved) {
                if (next < untouched.size() && line == untouched.at(next)) {
                    ++next;
                } else {
                    rewritten.append(line);
                }
            }
            QCOMPARE(next, untouched.size());

            QStringList expected;
            for (const AfickAlias &alias : withoutEmpty(aliases)) {
                if (alias != editor.parsedAliases().value(alias.name)) {
                    expected.append(AfickConfigFileEditor::formatAliasLine(alias));
                }
            }
            for (const AfickRule &rule : withoutEmpty(editor.currentRules())) {
                if (rule != editor.parsedRules().value(rule.path)) {
                    expected.append(AfickConfigFileEditor::formatRuleLine(rule));
                }
            }
            std::sort(rewritten.begin(), rewritten.end());
            std::sort(expected.begin(), expected.end());
            QCOMPARE(rewritten, expected);
        }
    }
};

QTEST_GUILESS_MAIN(AfickConfigPropertyTest)

#include "afickconfigpropertytest.moc"
