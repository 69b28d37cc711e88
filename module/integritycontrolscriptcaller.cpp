// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritycontrolscriptcaller.h"

#include "checkreportmodel.h"
#include "helperrequest.h"
#include "protocol.h"

#include <KAuth/ActionReply>
#include <KLocalizedString>

namespace
{
// The code of the helper's own error replies (KAuth's HelperError).
constexpr int HelperErrorCode = -1;

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

// The helper's description of a failed script is a sentence of its own and a
// heading, each on a line, then what the script wrote: only that is read as
// the report, so that the helper's lines do not show as output afick gave.
QString scriptOutputOf(const QString &description)
{
    const int heading = description.indexOf(QLatin1Char('\n'));
    const int output = heading < 0 ? -1 : description.indexOf(QLatin1Char('\n'), heading + 1);
    return output < 0 ? QString() : description.mid(output + 1);
}
}

IntegrityControlScriptCaller::IntegrityControlScriptCaller(QObject *parent)
    : QObject(parent)
    , m_report(new CheckReportModel(this))
{
}

QString IntegrityControlScriptCaller::lastOutput() const
{
    return m_lastOutput;
}

CheckReportModel *IntegrityControlScriptCaller::report() const
{
    return m_report;
}

void IntegrityControlScriptCaller::takeOutput(const HelperReply &reply)
{
    // KAuth hands over a reply's data only on success; a script that failed
    // left its output in the helper's description. Any other error means
    // no script ran, and the previous report no longer describes the system
    // the user is about to look at. A failed script's exit status is only
    // in the helper's sentence, in the user's language: it stays unknown.
    QString reportText;
    int exitStatus = CheckReportModel::UnknownExitStatus;
    if (reply.succeeded()) {
        m_lastOutput = reply.data.value(Protocol::Reply::Output).toString();
        reportText = m_lastOutput;
        exitStatus = 0;
    } else if (reply.error == HelperErrorCode) {
        m_lastOutput = reply.errorString;
        reportText = scriptOutputOf(m_lastOutput);
    } else {
        m_lastOutput.clear();
    }
    m_report->setOutput(reportText, exitStatus);
    Q_EMIT lastOutputChanged();
}

bool IntegrityControlScriptCaller::initializeAfickDatabase()
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::InitializeDatabase, {}, HelperRequest::Duration::Script);
    takeOutput(reply);
    if (!reply.succeeded()) {
        Q_EMIT initializeError(failureText(reply));
    }
    return reply.succeeded();
}

bool IntegrityControlScriptCaller::checkIntegrity()
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::CheckIntegrity, {}, HelperRequest::Duration::Script);
    takeOutput(reply);
    if (!reply.succeeded()) {
        Q_EMIT integrityError(failureText(reply));
    }
    return reply.succeeded();
}
