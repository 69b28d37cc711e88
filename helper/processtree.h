// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

/**
 * Every process this one started, and everything those started in turn.
 *
 * A script can leave its process group and session with setsid(), and its
 * children outlive it when it dies; an orphan would then belong to init and
 * escape any kill by group. While a ProcessTree exists this process is a
 * child subreaper: orphans of its descendants become its own children, so
 * they can still be found, stopped and reaped.
 *
 * The helper runs one action at a time and starts nothing but the script,
 * so every descendant belongs to the script.
 */
class ProcessTree
{
public:
    ProcessTree();
    ~ProcessTree();
    ProcessTree(const ProcessTree &) = delete;
    ProcessTree &operator=(const ProcessTree &) = delete;

    /// Kills every descendant and reaps those that became children of this
    /// process; @p managedChild is reaped by its owner and left to it.
    void killAll(long long managedChild) const;

private:
    int m_previousSubreaper = 0;
};
