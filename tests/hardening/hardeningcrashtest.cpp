// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The helper killed with SIGKILL at random moments of 200 writes of a large
// configuration. Whenever it dies, the configuration is complete, either the
// text before the write or the new one and never missing, and the backup is
// the text as it was before the first write that completed.

#include "e2eenvironment.h"

#include <KAuth/Action>
#include <KAuth/ExecuteJob>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString Backup = QStringLiteral("/etc/afick.conf.old");
constexpr int Writes = 200;
constexpr int LineCount = 20000;
constexpr int TimeoutMs = 60000;

QStringList configuration(const QString &tag)
{
    QStringList lines{QStringLiteral("# afick configuration, version %1").arg(tag)};
    for (int i = 1; i < LineCount; ++i) {
        lines.append(QStringLiteral("/var/lib/trustwatch/%1/file-%2 p+i+n+u+g+s+b+md5+m").arg(tag).arg(i));
    }
    return lines;
}

QByteArray textOf(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QString describe(const QByteArray &content)
{
    return content.isEmpty() ? QStringLiteral("empty") : QString::fromUtf8(content.left(content.indexOf('\n')));
}
}

class HardeningCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedWritesLeaveACompleteConfiguration();

private:
    E2eEnvironment m_env;
};

void HardeningCrashTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    QVERIFY(m_env.reset());
}

void HardeningCrashTest::killedWritesLeaveACompleteConfiguration()
{
    const QStringList original = configuration(QStringLiteral("original"));
    const QList<QStringList> versions{configuration(QStringLiteral("A")), configuration(QStringLiteral("B"))};
    const QList<QByteArray> versionTexts{textOf(versions.at(0)), textOf(versions.at(1))};
    QVERIFY(m_env.writeFile(Conf, textOf(original)));

    QByteArray current = textOf(original);
    bool backupMade = false;

    // The kills fall anywhere in up to one and a half times the longest
    // write that completed so far.
    QRandomGenerator random(20260101);
    QElapsedTimer clock;
    int killedMidWrite = 0;
    qint64 longestWriteMs = 200;
    for (int i = 0; i < Writes; ++i) {
        const QStringList &lines = versions.at(i % 2);
        KAuth::Action action(E2eEnvironment::actionId(QStringLiteral("writeafickconfig")));
        action.setHelperId(E2eEnvironment::helperId());
        action.setArguments({{QStringLiteral("config"), lines}});
        action.setTimeout(TimeoutMs);
        std::unique_ptr<KAuth::ExecuteJob> job(action.execute());
        job->setAutoDelete(false);
        QSignalSpy finished(job.get(), &KJob::result);
        qint64 durationMs = 0;
        connect(job.get(), &KJob::result, this, [&clock, &durationMs] {
            durationMs = clock.elapsed();
        });
        clock.restart();
        job->start();
        QTest::qWait(int(random.bounded(quint32(longestWriteMs * 3 / 2))));
        m_env.killHelper();
        QVERIFY(finished.count() == 1 || finished.wait(TimeoutMs));
        if (job->error() == 0) {
            longestWriteMs = std::max(longestWriteMs, durationMs);
        } else {
            ++killedMidWrite;
        }

        const E2eFileStatus conf = m_env.fileStatus(Conf);
        QVERIFY2(conf.exists, qPrintable(QStringLiteral("write %1 left no configuration").arg(i)));
        QCOMPARE(conf.type, QStringLiteral("file"));
        if (conf.content != current) {
            QVERIFY2(conf.content == versionTexts.at(i % 2),
                     qPrintable(QStringLiteral("write %1 left \"%2\" of %3 bytes").arg(i).arg(describe(conf.content)).arg(conf.content.size())));
            current = conf.content;
            QCOMPARE(conf.mode, 0600u);
        }
        // A completed job means a completed write.
        if (job->error() == 0) {
            QCOMPARE(current, versionTexts.at(i % 2));
        }
        const E2eFileStatus backup = m_env.fileStatus(Backup);
        if (backup.exists) {
            QCOMPARE(backup.content, textOf(original));
            backupMade = true;
        } else {
            QVERIFY2(!backupMade, qPrintable(QStringLiteral("write %1 lost the backup").arg(i)));
            QCOMPARE(current, textOf(original));
        }
    }
    // The random moments must have hit running writes, or nothing was shown.
    QVERIFY2(killedMidWrite >= Writes / 10, qPrintable(QStringLiteral("only %1 of %2 kills hit a running write").arg(killedMidWrite).arg(Writes)));

    // A write that is let run clears what the killed ones left behind.
    const E2eActionResult last = E2eEnvironment::runAction(QStringLiteral("writeafickconfig"), {{QStringLiteral("config"), versions.at(0)}}, TimeoutMs);
    QVERIFY2(last.succeeded(), qPrintable(last.describe()));
    QCOMPARE(m_env.fileStatus(Conf).content, versionTexts.at(0));
    QCOMPARE(m_env.fileStatus(Backup).content, textOf(original));
    const QStringList leftovers = m_env.listDirectory(QStringLiteral("/etc")).filter(QStringLiteral(".afick.conf."));
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(HardeningCrashTest)

#include "hardeningcrashtest.moc"
