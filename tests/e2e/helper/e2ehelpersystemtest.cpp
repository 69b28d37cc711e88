// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// enableservicemethod against the stand-in systemd and
// enablefailurescriptmethod on the failure-scripts directory, requested
// through KAuth by an unprivileged client.

#include "e2eenvironment.h"

#include <KAuth/ActionReply>

#include <QTest>

namespace
{
const QString Unit = QStringLiteral("tirvane-int-check.service");
const QString FailureScripts = QStringLiteral("/etc/tirvane-integrity/failure.d");
const QString OtherScripts = QStringLiteral("/etc/trustwatch-e2e-scripts");
const QString Enable = QStringLiteral("EnableUnitFiles([tirvane-int-check.service], runtime=false, force=true)");
const QString Disable = QStringLiteral("DisableUnitFiles([tirvane-int-check.service], runtime=false)");
constexpr int TimeoutMs = 20000;
const int DBusError = int(KAuth::ActionReply::DBusError);
const int InvalidAction = int(KAuth::ActionReply::InvalidActionError);

QByteArray scriptContent(const QString &name)
{
    return "#!/bin/sh\n# " + name.toUtf8() + "\n";
}
}

class E2eHelperSystemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void switchesTheCheckUnit_data();
    void switchesTheCheckUnit();
    void silentSystemdIsDBusErrorAfterTheBusTimeout();

    void renamesFailureScripts_data();
    void renamesFailureScripts();

private:
    E2eEnvironment m_env;
};

void E2eHelperSystemTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
}

void E2eHelperSystemTest::init()
{
    QVERIFY(m_env.reset());
    QVERIFY(m_env.removePath(OtherScripts));
    QVERIFY(m_env.makeDirectory(OtherScripts, 0755));
}

void E2eHelperSystemTest::switchesTheCheckUnit_data()
{
    QTest::addColumn<QString>("initialState");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("stateAfter");
    QTest::addColumn<QStringList>("calls");

    const QString flag = QStringLiteral("isEnabled");
    QTest::newRow("true-enables") << "disabled" << QString() << QVariantMap{{flag, true}} << 0 << "enabled" << QStringList{Enable};
    QTest::newRow("false-disables") << "enabled" << QString() << QVariantMap{{flag, false}} << 0 << "disabled" << QStringList{Disable};
    QTest::newRow("absent-flag-disables") << "enabled" << QString() << QVariantMap() << 0 << "disabled" << QStringList{Disable};
    QTest::newRow("enabling-an-enabled-unit-succeeds") << "enabled" << QString() << QVariantMap{{flag, true}} << 0 << "enabled" << QStringList{Enable};
    QTest::newRow("disabling-a-disabled-unit-succeeds") << "disabled" << QString() << QVariantMap{{flag, false}} << 0 << "disabled" << QStringList{Disable};
    QTest::newRow("unknown-unit-enable-is-dbus-error") << "" << QString() << QVariantMap{{flag, true}} << DBusError << "" << QStringList{Enable};
    QTest::newRow("unknown-unit-disable-is-dbus-error") << "" << QString() << QVariantMap{{flag, false}} << DBusError << "" << QStringList{Disable};
    QTest::newRow("masked-unit-enable-is-dbus-error") << "masked" << QString() << QVariantMap{{flag, true}} << DBusError << "masked" << QStringList{Enable};
    QTest::newRow("refusing-systemd-enable-is-dbus-error")
        << "disabled"
        << "org.freedesktop.DBus.Error.AccessDenied" << QVariantMap{{flag, true}} << DBusError << "disabled" << QStringList{Enable};
    QTest::newRow("refusing-systemd-disable-is-dbus-error")
        << "enabled"
        << "org.freedesktop.DBus.Error.AccessDenied" << QVariantMap{{flag, false}} << DBusError << "enabled" << QStringList{Disable};
}

void E2eHelperSystemTest::switchesTheCheckUnit()
{
    QFETCH(QString, initialState);
    QFETCH(QString, failure);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, error);
    QFETCH(QString, stateAfter);
    QFETCH(QStringList, calls);

    QVERIFY(m_env.setUnitFileState(Unit, initialState));
    if (!failure.isEmpty()) {
        QVERIFY(m_env.setSystemdFailure(failure, QStringLiteral("Access denied")));
    }

    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("enableservicemethod"), arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    // Also what tells the helper's D-Bus error from KAuth's own timeout (code 8 too).
    QCOMPARE(result.errorString, QString());
    QVERIFY(result.data.isEmpty());
    QCOMPARE(m_env.unitFileState(Unit), stateAfter);
    QCOMPARE(m_env.systemdCalls(), calls);
}

void E2eHelperSystemTest::silentSystemdIsDBusErrorAfterTheBusTimeout()
{
    if (qEnvironmentVariableIsEmpty("TRUSTWATCH_E2E_SLOW")) {
        QSKIP("slow (about 25 s, the bus's default call timeout): set TRUSTWATCH_E2E_SLOW=1 to run it");
    }
    QVERIFY(m_env.setSystemdSilent(true));
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("enableservicemethod"), {{QStringLiteral("isEnabled"), true}}, 60000);
    QCOMPARE(result.error, DBusError);
    QCOMPARE(result.errorString, QString());
    QCOMPARE(m_env.systemdCalls(), QStringList{Enable});
    QCOMPARE(m_env.unitFileState(Unit), QStringLiteral("disabled"));
}

void E2eHelperSystemTest::renamesFailureScripts_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("filesAfter");

    const QString oldName = QStringLiteral("oldName");
    const QString newName = QStringLiteral("newName");
    const QString sh = QStringLiteral("mail.sh");
    const QString disabled = QStringLiteral("mail.sh.disabled");
    const QString other = QStringLiteral("zz-other.sh");
    QTest::newRow("disables-a-script") << FailureScripts << QStringList{sh, other} << QVariantMap{{oldName, sh}, {newName, disabled}} << 0
                                       << QStringList{disabled, other};
    QTest::newRow("enables-a-script") << FailureScripts << QStringList{disabled} << QVariantMap{{oldName, disabled}, {newName, sh}} << 0 << QStringList{sh};
    QTest::newRow("other-directory-is-refused") << OtherScripts << QStringList{sh}
                                                << QVariantMap{{oldName, sh}, {newName, disabled}, {QStringLiteral("path"), OtherScripts}} << -1
                                                << QStringList{sh};
    QTest::newRow("missing-old-name-is-helper-error") << FailureScripts << QStringList{disabled} << QVariantMap{{oldName, sh}, {newName, disabled}} << -1
                                                      << QStringList{disabled};
    QTest::newRow("taken-new-name-is-helper-error") << FailureScripts << QStringList{sh, disabled} << QVariantMap{{oldName, sh}, {newName, disabled}} << -1
                                                    << QStringList{sh, disabled};
    QTest::newRow("only-new-name-is-invalid-action") << FailureScripts << QStringList{sh} << QVariantMap{{newName, disabled}} << InvalidAction
                                                     << QStringList{sh};
    QTest::newRow("only-old-name-is-invalid-action") << FailureScripts << QStringList{sh} << QVariantMap{{oldName, sh}} << InvalidAction << QStringList{sh};
    QTest::newRow("empty-arguments-are-invalid-action") << FailureScripts << QStringList{sh} << QVariantMap() << InvalidAction << QStringList{sh};
    QTest::newRow("empty-new-name-is-invalid-action") << FailureScripts << QStringList{sh} << QVariantMap{{oldName, sh}, {newName, QString()}} << InvalidAction
                                                      << QStringList{sh};
    QTest::newRow("new-name-leaving-the-directory-is-invalid-action")
        << FailureScripts << QStringList{sh} << QVariantMap{{oldName, sh}, {newName, QStringLiteral("../mail.sh")}} << InvalidAction << QStringList{sh};
    QTest::newRow("absolute-old-name-is-invalid-action")
        << FailureScripts << QStringList{sh} << QVariantMap{{oldName, QString(FailureScripts + QStringLiteral("/mail.sh"))}, {newName, disabled}}
        << InvalidAction << QStringList{sh};
    QTest::newRow("dot-dot-is-invalid-action") << FailureScripts << QStringList{sh} << QVariantMap{{oldName, QStringLiteral("..")}, {newName, disabled}}
                                               << InvalidAction << QStringList{sh};
    QTest::newRow("dot-is-invalid-action") << FailureScripts << QStringList{sh} << QVariantMap{{oldName, sh}, {newName, QStringLiteral(".")}} << InvalidAction
                                           << QStringList{sh};
}

void E2eHelperSystemTest::renamesFailureScripts()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, files);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, error);
    QFETCH(QStringList, filesAfter);

    for (const QString &file : files) {
        QVERIFY(m_env.writeFile(directory + QLatin1Char('/') + file, scriptContent(file), 0750));
    }
    const QStringList parentBefore = m_env.listDirectory(QStringLiteral("/etc/tirvane-integrity"));
    const QStringList otherBefore = m_env.listDirectory(directory == FailureScripts ? OtherScripts : FailureScripts);

    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("enablefailurescriptmethod"), arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    // Only the failure-scripts directory is the helper's to rename in.
    QCOMPARE(result.errorString,
             directory == FailureScripts
                 ? QString()
                 : QStringLiteral("The helper refuses \"%1\": this action works only on \"/etc/tirvane-integrity/failure.d\".").arg(directory));
    QVERIFY(result.data.isEmpty());

    QCOMPARE(m_env.listDirectory(directory), filesAfter);
    // A rename moves the script itself: its content and mode go with it.
    const QString renamedFrom = arguments.value(QStringLiteral("oldName")).toString();
    const QString renamedTo = arguments.value(QStringLiteral("newName")).toString();
    for (const QString &file : filesAfter) {
        const QString origin = error == 0 && file == renamedTo ? renamedFrom : file;
        const E2eFileStatus status = m_env.fileStatus(directory + QLatin1Char('/') + file);
        QCOMPARE(status.content, scriptContent(origin));
        QCOMPARE(status.mode, 0750u);
    }
    QCOMPARE(m_env.listDirectory(QStringLiteral("/etc/tirvane-integrity")), parentBefore);
    QCOMPARE(m_env.listDirectory(directory == FailureScripts ? OtherScripts : FailureScripts), otherBefore);
}

QTEST_GUILESS_MAIN(E2eHelperSystemTest)

#include "e2ehelpersystemtest.moc"
