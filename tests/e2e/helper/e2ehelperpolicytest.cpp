// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The polkit policy as installed: what could blind the integrity check asks
// for the administrator every time; only reading, listing and a check may
// keep the authorization for the session.

#include "e2eenvironment.h"
#include "protocol.h"

#include <QFile>
#include <QTest>
#include <QXmlStreamReader>

class E2eHelperPolicyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
        QFile policy(QStringLiteral("/usr/share/polkit-1/actions/%1.policy").arg(Protocol::HelperId));
        QVERIFY2(policy.open(QIODevice::ReadOnly), qPrintable(policy.fileName()));
        QXmlStreamReader xml(&policy);
        QString action;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == QLatin1String("action")) {
                action = xml.attributes().value(QLatin1String("id")).toString();
            } else if (xml.name().startsWith(QLatin1String("allow_"))) {
                m_defaults[action].insert(xml.name().toString(), xml.readElementText());
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    }

    void persistence_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("active");

        const QString fresh = QStringLiteral("auth_admin");
        const QString kept = QStringLiteral("auth_admin_keep");
        QTest::newRow("write") << QString(Protocol::Action::WriteConfig) << fresh;
        QTest::newRow("rollback") << QString(Protocol::Action::RollbackConfig) << fresh;
        QTest::newRow("initialize-database") << QString(Protocol::Action::InitializeDatabase) << fresh;
        QTest::newRow("service-switch") << QString(Protocol::Action::EnableService) << fresh;
        QTest::newRow("failure-script-switch") << QString(Protocol::Action::EnableFailureScript) << fresh;
        QTest::newRow("read") << QString(Protocol::Action::ReadConfig) << kept;
        QTest::newRow("list") << QString(Protocol::Action::ListEntries) << kept;
        QTest::newRow("check-now") << QString(Protocol::Action::CheckIntegrity) << kept;
    }

    void persistence()
    {
        QFETCH(QString, action);
        QFETCH(QString, active);
        const QMap<QString, QString> defaults = m_defaults.value(Protocol::actionId(action));
        QCOMPARE(defaults.value(QStringLiteral("allow_active")), active);
        // Nobody outside an active session may run anything.
        QCOMPARE(defaults.value(QStringLiteral("allow_inactive")), QStringLiteral("no"));
        QVERIFY(!defaults.contains(QStringLiteral("allow_any")) || defaults.value(QStringLiteral("allow_any")) == QLatin1String("no"));
    }

private:
    E2eEnvironment m_env;
    QMap<QString, QMap<QString, QString>> m_defaults;
};

QTEST_GUILESS_MAIN(E2eHelperPolicyTest)

#include "e2ehelperpolicytest.moc"
