// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritycontrolscriptcaller.h"

#include "checkreportmodel.h"
#include "helperrequest.h"
#include "protocol.h"

#include <KAuth/ActionReply>
#include <KFormat>
#include <KLocalizedString>

#include <QRegularExpression>

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

// afick prints each directive in force as "# name:=value" before its findings.
QString archiveNamedIn(const QString &output)
{
    if (!output.contains(QLatin1String("archive"))) {
        return QString();
    }
    static const QRegularExpression directive(QStringLiteral("^#\\s*archive\\s*:=\\s*(\\S[^\\n]*?)\\s*$"), QRegularExpression::MultilineOption);
    return directive.match(output).captured(1);
}

// The comment lines of the end of an output, without its first line, which
// the cut may have left a part of.
QString commentLinesOf(const QString &end)
{
    QString comments;
    const QStringList lines = end.split(QLatin1Char('\n'));
    for (int line = 1; line < lines.size(); ++line) {
        if (lines.at(line).startsWith(QLatin1Char('#'))) {
            comments += lines.at(line) + QLatin1Char('\n');
        }
    }
    return comments;
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

int IntegrityControlScriptCaller::lastExitCode() const
{
    return m_lastExitCode;
}

CheckReportModel *IntegrityControlScriptCaller::report() const
{
    return m_report;
}

bool IntegrityControlScriptCaller::isRunning() const
{
    return m_running;
}

QString IntegrityControlScriptCaller::reportNote() const
{
    return m_reportNote;
}

void IntegrityControlScriptCaller::setOutputLimit(qint64 bytes)
{
    m_outputLimitBytes = bytes;
}

bool IntegrityControlScriptCaller::initializeAfickDatabase()
{
    return start(Operation::InitializeDatabase);
}

bool IntegrityControlScriptCaller::checkIntegrity()
{
    return start(Operation::CheckIntegrity);
}

bool IntegrityControlScriptCaller::start(Operation operation)
{
    if (m_running) {
        return false;
    }
    m_running = true;
    m_lastExitCode = CheckReportModel::UnknownExitStatus;
    m_streamed = false;
    m_standardError.clear();
    m_archive.clear();
    m_sentBytes = 0;
    m_omittedBytes = 0;
    m_report->clear();
    updateReportNote();
    Q_EMIT runningChanged();
    HelperRequest::start(
        operation == Operation::InitializeDatabase ? Protocol::Action::InitializeDatabase : Protocol::Action::CheckIntegrity,
        m_outputLimitBytes > 0 ? QVariantMap{{Protocol::Argument::OutputLimit, m_outputLimitBytes}} : QVariantMap(),
        this,
        [this, operation](const HelperReply &reply) {
            takeReply(operation, reply);
        },
        HelperRequest::Duration::Script,
        [this](const QVariantMap &data) {
            takeProgress(data);
        });
    return true;
}

void IntegrityControlScriptCaller::takeProgress(const QVariantMap &data)
{
    if (!m_running) {
        return;
    }
    const QString output = data.value(Protocol::Progress::StandardOutput).toString();
    if (!output.isEmpty()) {
        m_streamed = true;
        // afick names its archive among the directives it prints first.
        if (m_archive.isEmpty()) {
            m_archive = archiveNamedIn(output);
        }
        m_report->addOutput(output);
    }
    const QString errors = data.value(Protocol::Progress::StandardError).toString();
    if (!errors.isEmpty()) {
        m_streamed = true;
        m_standardError += errors;
    }
    if (data.contains(Protocol::Progress::ExitCode)) {
        m_lastExitCode = data.value(Protocol::Progress::ExitCode).toInt();
    }
    if (data.contains(Protocol::Progress::OmittedBytes)) {
        m_sentBytes = data.value(Protocol::Progress::SentBytes).toLongLong();
        m_omittedBytes = data.value(Protocol::Progress::OmittedBytes).toLongLong();
    }
}

void IntegrityControlScriptCaller::takeReply(Operation operation, const HelperReply &reply)
{
    // KAuth hands over a reply's data only on success; a script that failed
    // left its output in the helper's description. Any other error means
    // no script ran.
    if (reply.succeeded()) {
        m_lastOutput = reply.data.value(Protocol::Reply::Output).toString();
        m_lastExitCode = 0;
    } else if (reply.error == HelperErrorCode) {
        m_lastOutput = reply.errorString;
    } else {
        m_lastOutput.clear();
        m_lastExitCode = CheckReportModel::UnknownExitStatus;
    }
    finishReport(reply);
    m_running = false;
    updateReportNote();
    Q_EMIT lastOutputChanged();
    if (!reply.succeeded()) {
        if (operation == Operation::InitializeDatabase) {
            Q_EMIT initializeError(failureText(reply));
        } else {
            Q_EMIT integrityError(failureText(reply));
        }
    }
    Q_EMIT runningChanged();
    Q_EMIT finished(reply.succeeded());
}

void IntegrityControlScriptCaller::finishReport(const HelperReply &reply)
{
    const QString replyOutput = reply.error == HelperErrorCode ? scriptOutputOf(m_lastOutput) : m_lastOutput;
    if (!m_streamed) {
        m_report->setOutput(replyOutput, m_lastExitCode);
        return;
    }
    // The reply holds the end of the output, where afick prints its totals:
    // past the bound, its comment lines are all of that end the report lacks.
    if (m_omittedBytes > 0) {
        m_report->addOutput(commentLinesOf(replyOutput));
    }
    // The order the reply has always had: standard output, then standard error.
    if (!m_standardError.isEmpty()) {
        m_report->addOutput(QLatin1Char('\n') + m_standardError);
    }
    m_report->finish(m_lastExitCode);
}

void IntegrityControlScriptCaller::updateReportNote()
{
    QString note;
    if (!m_running && m_omittedBytes > 0) {
        note = i18n("The report is incomplete: the check printed more than the helper passes on. %1 arrived, %2 more were left out.",
                    KFormat().formatByteSize(double(m_sentBytes)),
                    KFormat().formatByteSize(double(m_omittedBytes)));
        note += QLatin1Char(' ');
        note += m_archive.isEmpty() ? i18n("afick keeps the full report of every run in its archive, the directory its \"archive\" directive names.")
                                    : i18n("afick keeps the full report of every run in its archive, %1.", m_archive);
    }
    const QVariantMap totals = m_report->totals();
    if (!m_running && !totals.isEmpty()) {
        const qint64 afickNew = totals.value(QStringLiteral("new")).toLongLong();
        const qint64 afickDeleted = totals.value(QStringLiteral("delete")).toLongLong();
        const qint64 afickChanged = totals.value(QStringLiteral("changed")).toLongLong();
        if (afickNew != m_report->newCount() || afickDeleted != m_report->deletedCount() || afickChanged != m_report->changedCount()) {
            const QString difference = i18n("The report lists %1 new, %2 deleted and %3 changed entries; afick counted %4 new, %5 deleted and %6 changed.",
                                            m_report->newCount(),
                                            m_report->deletedCount(),
                                            m_report->changedCount(),
                                            afickNew,
                                            afickDeleted,
                                            afickChanged);
            note = note.isEmpty() ? difference : note + QLatin1Char(' ') + difference;
        }
    }
    if (note != m_reportNote) {
        m_reportNote = note;
        Q_EMIT reportNoteChanged();
    }
}
