// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <deque>
#include <functional>

/**
 * What the helper answered to one request.
 *
 * error is the KAuth job's error code (0 on success); errorString is the
 * helper's description or the framework's text, which is empty when polkit
 * refused the request.
 */
struct HelperReply {
    int error = 0;
    QString errorString;
    QVariantMap data;

    bool succeeded() const
    {
        return error == 0;
    }
};

/**
 * The one road from the plug-in to the privileged helper.
 *
 * KAuth's client waits for ever when the helper is still busy with another
 * request (the helper answers "busy" with a reply the client ignores), so the
 * plug-in must never have two requests outstanding. Every request therefore
 * goes through this process-wide queue: asynchronous requests run one after
 * another in the order they were made, and a blocking request first lets the
 * earlier ones finish, their completion handlers included, before it runs.
 *
 * Every request also carries the user's interface languages (see
 * CallerLanguages), so the helper's messages come back in the user's language.
 *
 * Every request also carries a KAuth timeout long enough for a person to type
 * a password and for the action itself to finish; KAuth's own default of
 * about 25 seconds would turn a slow password or a long script into
 * "could not contact the helper" while the helper is still working.
 */
class HelperRequest : public QObject
{
    Q_OBJECT

public:
    /// How long the action may run in the helper once authorised.
    enum class Duration {
        Short, ///< file and bus operations
        Script, ///< the two maintenance scripts, which the helper stops after 30 s
    };

    using Completion = std::function<void(const HelperReply &)>;
    /// Takes the progress data the action sends while it runs.
    using Progress = std::function<void(const QVariantMap &)>;

    /// Runs the action and waits for its reply in a local event loop that
    /// ignores user input, as KJob::exec() does.
    static HelperReply run(const QString &action, const QVariantMap &arguments = {}, Duration duration = Duration::Short);

    /// Queues the action and returns at once. @p done runs on the calling
    /// thread when the reply arrives, and @p progress with each piece of
    /// progress data before it, unless @p context has been destroyed by then.
    static void
    start(const QString &action, const QVariantMap &arguments, QObject *context, Completion done, Duration duration = Duration::Short, Progress progress = {});

    /// The KAuth timeout a request of this duration is given, in milliseconds.
    static int timeoutFor(Duration duration);

private:
    struct Pending {
        QString action;
        QVariantMap arguments;
        Duration duration;
        QPointer<QObject> context;
        Completion done;
        Progress progress;
    };

    static HelperRequest *queue();
    void enqueue(Pending &&request);
    void startNext();

    std::deque<Pending> m_pending;
    bool m_busy = false;
};
