// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptrenamer.h"

#include <QDir>

FailureScriptRenamer::FailureScriptRenamer(const QString &directory)
    : m_directory(directory)
{
}

bool FailureScriptRenamer::isBareName(const QString &name)
{
    // A NUL would cut the name short on its way to the kernel.
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(QLatin1Char('/')) && !name.contains(QChar());
}

KAuth::ActionReply FailureScriptRenamer::rename(const QString &oldName, const QString &newName) const
{
    if (!QDir(m_directory).rename(oldName, newName)) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    return KAuth::ActionReply::SuccessReply();
}
