// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritycontrolscriptcaller.h"

#include "helperrequest.h"
#include "protocol.h"

#include <KAuth/ActionReply>
#include <KLocalizedString>

namespace
{
// KAuth leaves the text empty when polkit refuses or the user cancels, and
// an empty message would tell the user nothing.
QString failureText(const HelperReply &reply)
{
    if (!reply.errorString.isEmpty()) {
        return reply.errorString;
    }
    if (reply.error == KAuth::ActionReply::AuthorizationDeniedError || reply.error == KAuth::ActionReply::UserCancelledError) {
        return i18n("The action was not authorized.");
    }
    return i18n("The action failed with error code %1.", reply.error);
}
}

IntegrityControlScriptCaller::IntegrityControlScriptCaller(QObject *parent)
    : QObject(parent)
{
}

bool IntegrityControlScriptCaller::initializeAfickDatabase()
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::InitializeDatabase, {}, HelperRequest::Duration::Script);
    if (!reply.succeeded()) {
        Q_EMIT initializeError(failureText(reply));
    }
    return reply.succeeded();
}

bool IntegrityControlScriptCaller::checkIntegrity()
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::CheckIntegrity, {}, HelperRequest::Duration::Script);
    if (!reply.succeeded()) {
        Q_EMIT integrityError(failureText(reply));
    }
    return reply.succeeded();
}
