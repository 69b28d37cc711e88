// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QProcess>

/**
 * A process set up to run a system script as root, with nothing of the
 * helper's surroundings or the caller's passing into it: standard input is
 * /dev/null, so a script that reads it ends at once instead of waiting out
 * its time limit; the environment holds only a fixed PATH of system
 * directories and HOME; it starts in "/" with umask 022.
 *
 * The process leads its own process group, so that stopping it also stops
 * whatever it started: a script killed at its time limit must not leave its
 * children running as root.
 */
class ScriptProcess : public QProcess
{
    Q_OBJECT

public:
    explicit ScriptProcess(QObject *parent = nullptr);

    /// Kills the process and every member of its group.
    void killGroup();

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
protected:
    void setupChildProcess() override;
#endif

private:
    /// Runs in the child between fork() and exec(): async-signal-safe calls only.
    static void prepareChild();
};
