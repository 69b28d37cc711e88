// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eauthenticationagent.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QFile>

namespace
{
const QString AgentPath = QStringLiteral("/local/trustwatch/e2e/AuthenticationAgent");
const QString AgentInterface = QStringLiteral("org.freedesktop.PolicyKit1.AuthenticationAgent");
constexpr int PolkitTimeoutMs = 10000;

QDBusMessage authorityCall(const QString &method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.PolicyKit1"),
                                          QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
                                          QStringLiteral("org.freedesktop.PolicyKit1.Authority"),
                                          method);
}

// polkit names a process by its PID and start time (field 22 of its stat
// line, after the command name in parentheses).
quint64 startTime()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? fields.at(19).toULongLong() : 0;
}

QVariant thisProcess()
{
    QDBusArgument subject;
    subject.beginStructure();
    subject << QStringLiteral("unix-process")
            << QVariantMap{{QStringLiteral("pid"), QVariant::fromValue(static_cast<quint32>(QCoreApplication::applicationPid()))},
                           {QStringLiteral("start-time"), QVariant::fromValue(startTime())}};
    subject.endStructure();
    return QVariant::fromValue(subject);
}
}

E2eAuthenticationAgent::~E2eAuthenticationAgent()
{
    for (const QDBusMessage &question : std::as_const(m_questions)) {
        QDBusConnection::systemBus().send(question.createErrorReply(QStringLiteral("org.freedesktop.PolicyKit1.Error.Cancelled"), QString()));
    }
    if (m_registered) {
        QDBusMessage call = authorityCall(QStringLiteral("UnregisterAuthenticationAgent"));
        call << thisProcess() << AgentPath;
        QDBusConnection::systemBus().call(call, QDBus::Block, PolkitTimeoutMs);
        QDBusConnection::systemBus().unregisterObject(AgentPath);
    }
}

bool E2eAuthenticationAgent::registerForThisProcess()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerVirtualObject(AgentPath, this)) {
        qWarning("E2eAuthenticationAgent: cannot export the agent: %s", qPrintable(bus.lastError().message()));
        return false;
    }
    QDBusMessage call = authorityCall(QStringLiteral("RegisterAuthenticationAgent"));
    call << thisProcess() << QStringLiteral("en_US.UTF-8") << AgentPath;
    const QDBusMessage reply = bus.call(call, QDBus::Block, PolkitTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("E2eAuthenticationAgent: polkitd refused the agent: %s", qPrintable(reply.errorMessage()));
        bus.unregisterObject(AgentPath);
        return false;
    }
    m_registered = true;
    return true;
}

bool E2eAuthenticationAgent::isAsked(const QString &actionId) const
{
    for (const QDBusMessage &question : m_questions) {
        if (question.arguments().value(0).toString() == actionId) {
            return true;
        }
    }
    return false;
}

bool E2eAuthenticationAgent::dismiss(const QString &actionId)
{
    bool answered = false;
    for (auto it = m_questions.begin(); it != m_questions.end();) {
        if (it->arguments().value(0).toString() == actionId) {
            QDBusConnection::systemBus().send(it->createErrorReply(QStringLiteral("org.freedesktop.PolicyKit1.Error.Cancelled"), QStringLiteral("dismissed")));
            it = m_questions.erase(it);
            answered = true;
        } else {
            ++it;
        }
    }
    return answered;
}

bool E2eAuthenticationAgent::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.interface() != AgentInterface) {
        return false;
    }
    if (message.member() == QLatin1String("BeginAuthentication")) {
        message.setDelayedReply(true);
        m_questions.append(message);
        return true;
    }
    if (message.member() == QLatin1String("CancelAuthentication")) {
        // Arguments: the cookie, the fifth argument of BeginAuthentication.
        const QString cookie = message.arguments().value(0).toString();
        for (auto it = m_questions.begin(); it != m_questions.end();) {
            it = it->arguments().value(4).toString() == cookie ? m_questions.erase(it) : it + 1;
        }
        connection.send(message.createReply());
        return true;
    }
    return false;
}

QString E2eAuthenticationAgent::introspect(const QString &) const
{
    return QStringLiteral(
        "<interface name=\"org.freedesktop.PolicyKit1.AuthenticationAgent\">"
        "<method name=\"BeginAuthentication\"><arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"a{ss}\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
        "<arg type=\"a(sa{sv})\" direction=\"in\"/></method>"
        "<method name=\"CancelAuthentication\"><arg type=\"s\" direction=\"in\"/></method>"
        "</interface>");
}
