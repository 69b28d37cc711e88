// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"

#include "e2eauthenticationagent.h"

#include "protocol.h"

#include <KAuth/Action>
#include <KAuth/ExecuteJob>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

namespace
{
const QString ControlService = QStringLiteral("local.trustwatch.e2e");
const QString FilesPath = QStringLiteral("/files");
const QString FilesInterface = QStringLiteral("local.trustwatch.e2e.Files");
const QString SystemdPath = QStringLiteral("/systemd");
const QString SystemdInterface = QStringLiteral("local.trustwatch.e2e.Systemd");
const QString HelperPath = QStringLiteral("/helper");
const QString HelperInterface = QStringLiteral("local.trustwatch.e2e.Helper");
const QStringList ScriptSettings =
    {QStringLiteral("exit-code"), QStringLiteral("stdout"), QStringLiteral("stderr"), QStringLiteral("sleep"), QStringLiteral("signal"), QStringLiteral("log")};
constexpr int ControlTimeoutMs = 10000;

QByteArray verdictText(E2eEnvironment::Verdict verdict)
{
    switch (verdict) {
    case E2eEnvironment::Verdict::Yes:
        return "yes\n";
    case E2eEnvironment::Verdict::No:
        return "no\n";
    case E2eEnvironment::Verdict::AuthAdmin:
        return "auth_admin\n";
    }
    return "no\n";
}

bool hasOwner(const QString &name)
{
    const QDBusConnectionInterface *bus = QDBusConnection::systemBus().interface();
    return bus && bus->isServiceRegistered(name).value();
}
}

QString E2eEnvironment::helperId()
{
    return Protocol::HelperId;
}

QString E2eEnvironment::actionId(const QString &actionName)
{
    return Protocol::actionId(actionName);
}

E2eEnvironment::E2eEnvironment()
    : m_control(qEnvironmentVariable("TRUSTWATCH_E2E_CONTROL"))
{
}

E2eEnvironment::~E2eEnvironment() = default;

bool E2eEnvironment::isUsable() const
{
    return problem().isEmpty();
}

QString E2eEnvironment::problem() const
{
    const QString how = QStringLiteral(" This test needs the end-to-end environment: run it through ctest or tests/e2e/e2e-run.sh, as root.");
    if (m_control.isEmpty()) {
        return QStringLiteral("TRUSTWATCH_E2E_CONTROL is not set.") + how;
    }
    if (!QFileInfo(m_control).isWritable()) {
        return QStringLiteral("The control directory %1 is missing or not writable.").arg(m_control) + how;
    }
    if (!QDBusConnection::systemBus().isConnected()) {
        return QStringLiteral("No system bus: %1.").arg(QDBusConnection::systemBus().lastError().message()) + how;
    }
    for (const QString &name : {ControlService, QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("org.freedesktop.PolicyKit1")}) {
        if (!hasOwner(name)) {
            return QStringLiteral("Nobody owns %1 on the system bus.").arg(name) + how;
        }
    }
    return {};
}

QString E2eEnvironment::controlDirectory() const
{
    return m_control;
}

bool E2eEnvironment::reset()
{
    m_agent.reset();
    bool ok = setVerdict(Verdict::Yes);
    QDir verdicts(m_control + QStringLiteral("/verdicts"));
    for (const QString &name : verdicts.entryList(QDir::Files | QDir::Hidden)) {
        ok = verdicts.remove(name) && ok;
    }
    QDir scripts(m_control + QStringLiteral("/scripts"));
    for (const QString &script : scripts.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &setting : ScriptSettings) {
            const QString path = scripts.filePath(script + QLatin1Char('/') + setting);
            ok = (!QFileInfo::exists(path) || QFile::remove(path)) && ok;
        }
    }
    ok = call(SystemdPath, SystemdInterface, QStringLiteral("Reset"), {}) && ok;
    const QString failureScripts = QStringLiteral("/etc/tirvane-integrity/failure.d");
    ok = removePath(QStringLiteral("/etc/afick.conf")) && ok;
    ok = removePath(QStringLiteral("/etc/afick.conf.old")) && ok;
    ok = removePath(failureScripts) && makeDirectory(failureScripts, 0755) && ok;
    if (!ok) {
        qWarning("E2eEnvironment: the reset was incomplete");
    }
    return ok;
}

bool E2eEnvironment::writeControlFile(const QString &relativePath, const QByteArray &content)
{
    // Replaced in one rename, so polkitd or a script never reads half a value.
    QSaveFile file(m_control + QLatin1Char('/') + relativePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        qWarning("E2eEnvironment: cannot write %s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
        return false;
    }
    // polkitd reads the verdicts as its own user.
    return QFile::setPermissions(file.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

bool E2eEnvironment::setVerdict(Verdict verdict)
{
    return writeControlFile(QStringLiteral("verdict"), verdictText(verdict));
}

bool E2eEnvironment::setActionVerdict(const QString &actionName, Verdict verdict)
{
    return writeControlFile(QStringLiteral("verdicts/") + actionId(actionName), verdictText(verdict));
}

bool E2eEnvironment::holdAction(const QString &actionName)
{
    if (!m_agent) {
        auto agent = std::make_unique<E2eAuthenticationAgent>();
        if (!agent->registerForThisProcess()) {
            return false;
        }
        m_agent = std::move(agent);
    }
    return setActionVerdict(actionName, Verdict::AuthAdmin);
}

bool E2eEnvironment::isActionHeld(const QString &actionName) const
{
    return m_agent && m_agent->isAsked(actionId(actionName));
}

bool E2eEnvironment::dismissAuthentication(const QString &actionName)
{
    return m_agent && m_agent->dismiss(actionId(actionName));
}

QString E2eEnvironment::scriptDirectory(const QString &scriptPath) const
{
    return QStringLiteral("scripts/") + QFileInfo(scriptPath).fileName();
}

bool E2eEnvironment::setScript(const QString &scriptPath, int exitCode, const QByteArray &standardOutput, const QByteArray &standardError, double seconds)
{
    const QString directory = scriptDirectory(scriptPath);
    if (!QFileInfo(m_control + QLatin1Char('/') + directory).isDir()) {
        qWarning("E2eEnvironment: %s is not one of the stand-in scripts", qPrintable(scriptPath));
        return false;
    }
    return writeControlFile(directory + QStringLiteral("/exit-code"), QByteArray::number(exitCode))
        && writeControlFile(directory + QStringLiteral("/stdout"), standardOutput) && writeControlFile(directory + QStringLiteral("/stderr"), standardError)
        && writeControlFile(directory + QStringLiteral("/sleep"), QByteArray::number(seconds));
}

bool E2eEnvironment::setScriptSignal(const QString &scriptPath, const QString &signalName)
{
    return writeControlFile(scriptDirectory(scriptPath) + QStringLiteral("/signal"), signalName.toLatin1());
}

QStringList E2eEnvironment::scriptLog(const QString &scriptPath) const
{
    QFile log(m_control + QLatin1Char('/') + scriptDirectory(scriptPath) + QStringLiteral("/log"));
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool E2eEnvironment::call(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments, QVariantList *results) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(ControlService, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::systemBus().call(message, QDBus::Block, ControlTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("E2eEnvironment: %s failed: %s", qPrintable(method), qPrintable(reply.errorMessage()));
        return false;
    }
    if (results) {
        *results = reply.arguments();
    }
    return true;
}

bool E2eEnvironment::writeFile(const QString &path, const QByteArray &content, uint mode)
{
    return call(FilesPath, FilesInterface, QStringLiteral("WriteFile"), {path, content, mode});
}

E2eFileStatus E2eEnvironment::fileStatus(const QString &path) const
{
    QVariantList results;
    if (!call(FilesPath, FilesInterface, QStringLiteral("Inspect"), {path}, &results) || results.isEmpty()) {
        return {};
    }
    return E2eFileStatus::fromMap(qdbus_cast<QVariantMap>(results.constFirst()));
}

QStringList E2eEnvironment::listDirectory(const QString &path) const
{
    QVariantList results;
    if (!call(FilesPath, FilesInterface, QStringLiteral("List"), {path}, &results) || results.isEmpty()) {
        return {};
    }
    return results.constFirst().toStringList();
}

bool E2eEnvironment::makeDirectory(const QString &path, uint mode)
{
    return call(FilesPath, FilesInterface, QStringLiteral("MakeDirectory"), {path, mode});
}

bool E2eEnvironment::makeSymlink(const QString &target, const QString &path)
{
    return call(FilesPath, FilesInterface, QStringLiteral("MakeSymlink"), {target, path});
}

bool E2eEnvironment::setMode(const QString &path, uint mode)
{
    return call(FilesPath, FilesInterface, QStringLiteral("SetMode"), {path, mode});
}

bool E2eEnvironment::removePath(const QString &path)
{
    return call(FilesPath, FilesInterface, QStringLiteral("Remove"), {path});
}

bool E2eEnvironment::setUnitFileState(const QString &unit, const QString &state)
{
    return call(SystemdPath, SystemdInterface, QStringLiteral("SetUnitFileState"), {unit, state});
}

QString E2eEnvironment::unitFileState(const QString &unit) const
{
    QVariantList results;
    if (!call(SystemdPath, SystemdInterface, QStringLiteral("UnitFileState"), {unit}, &results) || results.isEmpty()) {
        return {};
    }
    return results.constFirst().toString();
}

bool E2eEnvironment::setSystemdFailure(const QString &errorName, const QString &errorMessage)
{
    return call(SystemdPath, SystemdInterface, QStringLiteral("SetFailure"), {errorName, errorMessage});
}

bool E2eEnvironment::setSystemdSilent(bool silent)
{
    return call(SystemdPath, SystemdInterface, QStringLiteral("SetSilent"), {silent});
}

QStringList E2eEnvironment::systemdCalls() const
{
    QVariantList results;
    if (!call(SystemdPath, SystemdInterface, QStringLiteral("Calls"), {}, &results) || results.isEmpty()) {
        return {};
    }
    return results.constFirst().toStringList();
}

qint64 E2eEnvironment::killHelper()
{
    QVariantList results;
    if (!call(HelperPath, HelperInterface, QStringLiteral("Kill"), {}, &results) || results.isEmpty()) {
        return 0;
    }
    return results.constFirst().toUInt();
}

qint64 E2eEnvironment::helperPid()
{
    const QDBusReply<uint> pid = QDBusConnection::systemBus().interface()->servicePid(helperId());
    return pid.isValid() ? pid.value() : 0;
}

E2eActionResult E2eEnvironment::runAction(const QString &actionName, const QVariantMap &arguments, int timeoutMs)
{
    KAuth::Action action(actionId(actionName));
    action.setHelperId(helperId());
    action.setArguments(arguments);
    action.setTimeout(timeoutMs);
    std::unique_ptr<KAuth::ExecuteJob> job(action.execute());
    job->setAutoDelete(false);
    job->exec();
    E2eActionResult result;
    result.error = job->error();
    result.errorString = job->errorString();
    result.data = job->data();
    return result;
}
