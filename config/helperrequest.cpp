// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "helperrequest.h"

#include "callerlanguages.h"
#include "protocol.h"

#include <KAuth/Action>
#include <KAuth/ExecuteJob>
#include <KLocalizedString>

#include <QEventLoop>

namespace
{
// Time left for a person to find and answer the authentication dialog.
constexpr int authenticationAllowanceMs = 2 * 60 * 1000;
// Reading, writing or listing: generous, since a listing of a very large
// directory is encoded in one go.
constexpr int shortActionLimitMs = 30 * 1000;
// The helper stops a script after 30 s and then waits for it to end.
constexpr int scriptActionLimitMs = 45 * 1000;
}

int HelperRequest::timeoutFor(Duration duration)
{
    return authenticationAllowanceMs + (duration == Duration::Script ? scriptActionLimitMs : shortActionLimitMs);
}

HelperRequest *HelperRequest::queue()
{
    static HelperRequest instance;
    return &instance;
}

HelperReply HelperRequest::run(const QString &action, const QVariantMap &arguments, Duration duration)
{
    HelperReply reply;
    bool finished = false;
    QEventLoop loop;
    queue()->enqueue({action,
                      arguments,
                      duration,
                      QPointer<QObject>(&loop),
                      [&](const HelperReply &result) {
                          reply = result;
                          finished = true;
                          loop.quit();
                      },
                      {}});
    while (!finished) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return reply;
}

void HelperRequest::start(const QString &action, const QVariantMap &arguments, QObject *context, Completion done, Duration duration, Progress progress)
{
    queue()->enqueue({action, arguments, duration, QPointer<QObject>(context), std::move(done), std::move(progress)});
}

void HelperRequest::enqueue(Pending &&request)
{
    m_pending.push_back(std::move(request));
    if (!m_busy) {
        startNext();
    }
}

void HelperRequest::startNext()
{
    if (m_pending.empty()) {
        m_busy = false;
        return;
    }
    m_busy = true;
    Pending request = std::move(m_pending.front());
    m_pending.pop_front();

    KAuth::Action action(Protocol::actionId(request.action));
    action.setHelperId(Protocol::HelperId);
    // The helper cannot learn the user's language from its cleared
    // environment; it composes its error descriptions in this one.
    const QStringList languages = CallerLanguages::forRequest(KLocalizedString::languages());
    if (!languages.isEmpty()) {
        request.arguments.insert(CallerLanguages::argumentKey(), languages);
    }
    if (!request.arguments.isEmpty()) {
        action.setArguments(request.arguments);
    }
    action.setTimeout(timeoutFor(request.duration));

    KAuth::ExecuteJob *job = action.execute();
    if (request.progress) {
        connect(job, &KAuth::ExecuteJob::newData, this, [context = request.context, progress = std::move(request.progress)](const QVariantMap &data) {
            if (context) {
                progress(data);
            }
        });
    }
    connect(job, &KJob::result, this, [this, job, context = request.context, done = std::move(request.done)]() {
        const HelperReply reply{job->error(), job->errorString(), job->data()};
        // The next request starts before this one's handler runs: a handler
        // may itself make a blocking request, which must not wait for a
        // queue that only moves on once the handler has returned.
        startNext();
        if (context) {
            done(reply);
        }
    });
    job->start();
}
