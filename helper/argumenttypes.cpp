// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "argumenttypes.h"

#include "errorreply.h"

#include <KLocalizedString>

std::optional<KAuth::ActionReply> ArgumentTypes::refuseWrongTypes(const QVariantMap &args, std::initializer_list<Expected> expected)
{
    for (const auto &[key, type] : expected) {
        const auto value = args.constFind(key);
        if (value != args.constEnd() && value->userType() != type) {
            return errorReply(i18n("The helper refuses the request: the argument \"%1\" has the wrong type.", QString(key)));
        }
    }
    return std::nullopt;
}
