// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "e2eactionresult.h"
#include "e2efilestatus.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class E2eAuthenticationAgent;

/**
 * A test program's handle on the end-to-end environment that e2e-run.sh
 * builds around it (ctest does this for every trustwatch_add_e2e_test()):
 * a private system bus with the real polkitd and the helper activated as in
 * production, a stand-in for systemd's manager, stand-ins for the two
 * integrity scripts, and private copies of /etc and /usr. The test itself
 * runs as an unprivileged user, so it reaches root's files only through here.
 *
 *     class MyTest : public QObject {
 *         E2eEnvironment m_env;
 *     private Q_SLOTS:
 *         void initTestCase() { QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem())); }
 *         void init() { QVERIFY(m_env.reset()); }
 *         void savesTheFile() {
 *             QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), "a\n"));
 *             m_env.setActionVerdict(QStringLiteral("writeafickconfig"), E2eEnvironment::Verdict::No);
 *             ... drive the code under test, then:
 *             QCOMPARE(m_env.fileStatus(QStringLiteral("/etc/afick.conf")).content, QByteArray("a\n"));
 *         }
 *     };
 *
 * Every setter returns false and logs a warning saying why when the
 * environment refuses. A verdict is read by polkitd at every check, so it
 * applies from the next request on. A script's settings apply from its next
 * run; it writes its output first, then runs for the given time, then exits.
 * Run one test by hand (as root):
 *     tests/e2e/e2e-run.sh --stage <build>/e2e-stage --standin <build>/bin/trustwatch-e2e-standin -- <test binary> [test function]
 */
class E2eEnvironment
{
public:
    enum class Verdict {
        Yes,
        No,
        // An administrator must authenticate; without an agent that is a refusal.
        AuthAdmin,
    };

    static constexpr int DefaultTimeoutMs = 60000;

    static QString helperId();
    static QString actionId(const QString &actionName);

    E2eEnvironment();
    ~E2eEnvironment();

    bool isUsable() const;
    QString problem() const;
    QString controlDirectory() const;

    // Verdict yes for everything, the scripts exit 0 silently at once, systemd
    // knows only "tirvane-int-check.service" (disabled) and answers, no
    // "/etc/afick.conf" nor its backup, an empty failure-scripts directory.
    bool reset();

    bool setVerdict(Verdict verdict);
    bool setActionVerdict(const QString &actionName, Verdict verdict);

    // Requests for the action then need an administrator's password, and
    // polkit asks this process's authentication agent for it, which holds
    // the question as a dialog nobody has answered yet. A reset ends that.
    bool holdAction(const QString &actionName);
    // Whether polkit waits for the password for a request of the action.
    bool isActionHeld(const QString &actionName) const;
    // Answers as a dismissed dialog, which polkit takes as a refusal; false
    // when polkit waits for no password for the action.
    bool dismissAuthentication(const QString &actionName);

    bool setScript(const QString &scriptPath,
                   int exitCode,
                   const QByteArray &standardOutput = QByteArray(),
                   const QByteArray &standardError = QByteArray(),
                   double seconds = 0);
    // The script then ends itself with this signal (e.g. "KILL") instead of exiting.
    bool setScriptSignal(const QString &scriptPath, const QString &signalName);
    // One line per event of every run since the reset: "start" followed by the
    // arguments, then "end" when its run time has passed.
    QStringList scriptLog(const QString &scriptPath) const;

    // Changes are allowed below /etc and /usr only (both private copies).
    bool writeFile(const QString &path, const QByteArray &content, uint mode = 0600);
    E2eFileStatus fileStatus(const QString &path) const;
    QStringList listDirectory(const QString &path) const;
    bool makeDirectory(const QString &path, uint mode = 0755);
    bool makeSymlink(const QString &target, const QString &path);
    bool setMode(const QString &path, uint mode);
    bool removePath(const QString &path);

    // An empty state makes the unit unknown to the stand-in systemd.
    bool setUnitFileState(const QString &unit, const QString &state);
    QString unitFileState(const QString &unit) const;
    // Every manager call is answered with this D-Bus error; an empty name ends that.
    bool setSystemdFailure(const QString &errorName, const QString &errorMessage = QString());
    bool setSystemdSilent(bool silent);
    // Every manager call since the reset, e.g.
    // "EnableUnitFiles([tirvane-int-check.service], runtime=false, force=true)".
    QStringList systemdCalls() const;

    // SIGKILL for the running helper, as a crash would end it; the next
    // request activates a new one. The PID that was killed, or 0 when no
    // helper was running.
    qint64 killHelper();
    // The running helper's PID, or 0 when none is running.
    static qint64 helperPid();

    // Runs "ru.vantorix.integritysecurityhelper.<actionName>" through KAuth and
    // waits for the job, which gives up after timeoutMs.
    static E2eActionResult runAction(const QString &actionName, const QVariantMap &arguments = QVariantMap(), int timeoutMs = DefaultTimeoutMs);

private:
    bool writeControlFile(const QString &relativePath, const QByteArray &content);
    QString scriptDirectory(const QString &scriptPath) const;
    bool call(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments, QVariantList *results = nullptr) const;

    QString m_control;
    std::unique_ptr<E2eAuthenticationAgent> m_agent;
};

Q_DECLARE_METATYPE(E2eEnvironment::Verdict)
