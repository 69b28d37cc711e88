// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "requestedpath.h"

#include "errorreply.h"
#include "protocol.h"

#include <KLocalizedString>

std::optional<KAuth::ActionReply> refuseForeignPath(const QVariantMap &args, QLatin1String ownPath)
{
    const auto path = args.constFind(Protocol::Argument::Path);
    if (path == args.constEnd() || path->toString() == ownPath) {
        return std::nullopt;
    }
    return errorReply(i18n("The helper refuses \"%1\": this action works only on \"%2\".", path->toString(), QString(ownPath)));
}
