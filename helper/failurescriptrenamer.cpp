// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptrenamer.h"

#include <QDir>

FailureScriptRenamer::FailureScriptRenamer(const QString &directory)
    : m_directory(directory)
{
}

KAuth::ActionReply FailureScriptRenamer::rename(const QString &oldName, const QString &newName) const
{
    if (!QDir(m_directory).rename(oldName, newName)) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    return KAuth::ActionReply::SuccessReply();
}
