// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "requestedpath.h"

#include "errorreply.h"
#include "protocol.h"
#include "trustwatch_helper_debug.h"

#include <KLocalizedString>

std::optional<KAuth::ActionReply> refuseForeignPath(const QVariantMap &args, QLatin1String ownPath)
{
    const auto path = args.constFind(Protocol::Argument::Path);
    if (path == args.constEnd() || path->toString() == ownPath) {
        return std::nullopt;
    }
    // A caller that asks for another file is not the settings module: the
    // administrator should be able to find that in the system log.
    qCWarning(TRUSTWATCH_HELPER) << "refused a request for" << path->toString() << "instead of" << ownPath;
    return errorReply(i18n("The helper refuses \"%1\": this action works only on \"%2\".", path->toString(), QString(ownPath)));
}
