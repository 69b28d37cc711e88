// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "requestedpath.h"

#include "errorreply.h"
#include "protocol.h"
#include "trustwatch_helper_debug.h"

#include <KLocalizedString>

namespace
{
constexpr int MaxShownPathLength = 256;
}

std::optional<KAuth::ActionReply> refuseForeignPath(const QVariantMap &args, QLatin1String ownPath)
{
    const auto path = args.constFind(Protocol::Argument::Path);
    if (path == args.constEnd() || path->toString() == ownPath) {
        return std::nullopt;
    }
    // A caller that asks for another file is not the settings module: the
    // administrator should be able to find that in the system log.
    // Bounded, so that a request cannot flood the log.
    const QString shown = path->toString().size() > MaxShownPathLength ? path->toString().left(MaxShownPathLength) + QChar(0x2026) : path->toString();
    qCWarning(TRUSTWATCH_HELPER) << "refused a request for" << shown << "instead of" << ownPath;
    return errorReply(i18n("The helper refuses \"%1\": this action works only on \"%2\".", shown, QString(ownPath)));
}
