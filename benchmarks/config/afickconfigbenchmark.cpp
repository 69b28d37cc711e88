// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Parses a generated afick configuration, edits 1% of its rules and aliases
// and builds the lines a save would write. Doubling the size should about
// double every figure.
//
// Run: afickconfigbenchmark [LINES...]   (default 25000 50000 100000)

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace
{
int s_messages = 0;

// The parser reports every malformed line as a warning; counting them keeps
// the terminal out of the measurement.
void countMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
    ++s_messages;
}

// Per 100 lines: comments and blank lines, directives, a preprocessor line,
// alias definitions, rules with and without prefixes, and the odd line this
// grammar reports.
QStringList generateConfiguration(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; lines.size() < count; ++i) {
        switch (i % 100) {
        case 0:
        case 25:
        case 50:
        case 75:
            lines << QString();
            break;
        case 1:
        case 26:
        case 51:
        case 76:
        case 90:
        case 95:
            lines << QStringLiteral("# section %1: files that must not change").arg(i);
            break;
        case 2:
        case 52:
        case 80:
            lines << QStringLiteral("exclude_suffix_%1 := log LOG html htm tmp old bak").arg(i);
            break;
        case 3:
            lines << QStringLiteral("@@define BATCH%1 1").arg(i);
            break;
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
            lines << QStringLiteral("Alias%1 = p+i+n+u+g+s+b+md5+m").arg(i);
            break;
        case 10:
        case 60:
            lines << QStringLiteral("! /srv/data%1/cache").arg(i);
            break;
        default:
            lines << (i % 7 == 0        ? QStringLiteral("!/srv/data%1/file.%2 all")
                          : i % 11 == 0 ? QStringLiteral("=/srv/data%1/dir%2 DIR+Alias4")
                                        : QStringLiteral("/srv/data%1/bin/tool-%2 p+u+g+md5+Alias%1"))
                         .arg(i / 100)
                         .arg(i);
        }
    }
    return lines;
}

void editOnePercent(AfickConfigFileEditor &editor)
{
    const QStringList paths = editor.currentRules().keys();
    const int ruleEdits = std::max(3, int(paths.size()) / 100);
    for (int i = 0; i < ruleEdits; ++i) {
        const QString &path = paths.at(i * (paths.size() / ruleEdits));
        switch (i % 3) {
        case 0:
            editor.setRule(AfickRule{QStringLiteral("!"), path, {QStringLiteral("p"), QStringLiteral("sha1")}});
            break;
        case 1:
            editor.currentRules().remove(path);
            break;
        default:
            editor.setRule(AfickRule{QString(), path + QStringLiteral("/new"), {QStringLiteral("R")}});
        }
    }

    AfickAliasEditor *aliases = AfickAliasEditor::instance();
    const QStringList names = aliases->aliasMap().keys();
    const int aliasEdits = std::max(4, int(names.size()) / 100);
    for (int i = 0; i < aliasEdits; ++i) {
        aliases->setCurrentAlias(i % 4 == 3 ? QStringLiteral("NewAlias%1").arg(i) : names.at(i * (names.size() / aliasEdits)));
        switch (i % 4) {
        case 0:
            aliases->addAliasAttribute(QStringLiteral("sha1"));
            break;
        case 1:
            aliases->renameCurrentAlias(aliases->currentAlias() + QStringLiteral("Renamed"));
            break;
        case 2:
            aliases->aliasMap().remove(aliases->currentAlias());
            break;
        default:
            aliases->addAliasAttribute(QStringLiteral("md5"));
        }
    }
    aliases->clearCurrentAlias();
}

struct Figures {
    double parseMs = 1e9;
    double editMs = 1e9;
    double saveMs = 1e9;
    int savedLines = 0;
};

// The best of a few runs, so a busy machine disturbs the figures less.
Figures measure(int count)
{
    const QStringList lines = generateConfiguration(count);
    Figures best;
    for (int run = 0; run < 3; ++run) {
        AfickConfigFileEditor editor;
        QElapsedTimer timer;
        timer.start();
        editor.applyConfigLines(lines);
        best.parseMs = std::min(best.parseMs, timer.nsecsElapsed() / 1e6);

        timer.restart();
        editOnePercent(editor);
        best.editMs = std::min(best.editMs, timer.nsecsElapsed() / 1e6);

        timer.restart();
        const bool changed = editor.hasChanges();
        const QStringList saved = editor.linesToSave();
        best.saveMs = std::min(best.saveMs, timer.nsecsElapsed() / 1e6);
        best.savedLines = changed ? saved.size() : -1;
    }
    return best;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(countMessage);

    QList<int> sizes;
    for (const QString &argument : app.arguments().mid(1)) {
        sizes.append(argument.toInt());
    }
    if (sizes.isEmpty()) {
        sizes = {25000, 50000, 100000};
    }

    std::printf("%10s %12s %12s %12s %14s %12s\n", "lines", "parse ms", "edit 1% ms", "save ms", "parse+save/1k", "saved lines");
    for (const int count : qAsConst(sizes)) {
        const Figures figures = measure(count);
        std::printf("%10d %12.2f %12.2f %12.2f %14.3f %12d\n",
                    count,
                    figures.parseMs,
                    figures.editMs,
                    figures.saveMs,
                    (figures.parseMs + figures.saveMs) * 1000.0 / count,
                    figures.savedLines);
    }
    std::printf("malformed lines reported: %d\n", s_messages);
    return 0;
}
