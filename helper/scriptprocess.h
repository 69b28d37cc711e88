// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QProcess>

/**
 * A process that leads its own process group, so that stopping it also stops
 * whatever it started: a script killed at its time limit must not leave
 * its children running as root.
 */
class ScriptProcess : public QProcess
{
    Q_OBJECT

public:
    using QProcess::QProcess;

    /// Kills the process and every member of its group.
    void killGroup();

protected:
    void setupChildProcess() override;
};
