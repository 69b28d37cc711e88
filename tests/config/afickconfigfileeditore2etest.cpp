// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The configuration editor loading, saving and rolling back /etc/afick.conf
// through the real helper, as an unprivileged client.

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"
#include "e2eenvironment.h"
#include "helperrequest.h"

#include <QSignalSpy>
#include <QTest>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString Backup = QStringLiteral("/etc/afick.conf.old");
const QByteArray Missing = "<missing>";

const QByteArray GoodConfig =
    "# integrity rules\n"
    "exclude_suffix := log\n"
    "MyAlias = p+u\n"
    "/etc MyAlias\n"
    "!/tmp all\n";

// What the editor announced, in order: "initEnd" or "read: <text>" / "write: <text>".
class EditorEvents : public QObject
{
public:
    explicit EditorEvents(AfickConfigFileEditor *editor)
    {
        connect(editor, &AfickConfigFileEditor::initEnd, this, [this] {
            events << QStringLiteral("initEnd");
        });
        connect(editor, &AfickConfigFileEditor::readConfigError, this, [this](const QString &error) {
            events << QStringLiteral("read: ") + error;
        });
        connect(editor, &AfickConfigFileEditor::writeConfigError, this, [this](const QString &error) {
            events << QStringLiteral("write: ") + error;
        });
    }
    QStringList events;
};

QByteArray quotedForLog(const QString &message)
{
    // QDebug quotes strings and escapes the quotes inside them.
    QString quoted = message;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return (QLatin1Char('"') + quoted + QLatin1Char('"')).toUtf8();
}
}

class AfickConfigFileEditorE2eTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void asynchronousLoad_data();
    void asynchronousLoad();
    void failedAsynchronousLoadKeepsEdits();
    void blockingLoad_data();
    void blockingLoad();

    void saveWritesOnlyTheEditedLine();
    void saveKeepsTheBytesOfUntouchedLines();
    void failedSaveReportsAndKeepsTheFile();
    void saveAfterFailedLoadWritesNothing();

    void rollback_data();
    void rollback();

    void overlappingRequestsBothComplete();

private:
    bool place(const QByteArray &content);
    QByteArray fileContent() const;

    E2eEnvironment m_env;
};

void AfickConfigFileEditorE2eTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
}

void AfickConfigFileEditorE2eTest::init()
{
    QVERIFY(m_env.reset());
    AfickAliasEditor::instance()->setAliasMap({});
}

bool AfickConfigFileEditorE2eTest::place(const QByteArray &content)
{
    return content == Missing ? m_env.removePath(Conf) : m_env.writeFile(Conf, content, 0600);
}

QByteArray AfickConfigFileEditorE2eTest::fileContent() const
{
    const E2eFileStatus status = m_env.fileStatus(Conf);
    return status.exists ? status.content : Missing;
}

void AfickConfigFileEditorE2eTest::asynchronousLoad_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<E2eEnvironment::Verdict>("verdict");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("rulePaths");
    QTest::addColumn<QStringList>("aliasNames");

    const auto yes = E2eEnvironment::Verdict::Yes;
    QTest::newRow("success-parses-and-announces-init-end")
        << GoodConfig << yes << QStringList{QStringLiteral("initEnd")} << QStringList{QStringLiteral("/etc"), QStringLiteral("/tmp")}
        << QStringList{QStringLiteral("MyAlias")};
    QTest::newRow("empty-file-reports-then-still-ends")
        << QByteArray() << yes << QStringList{QStringLiteral("read: Afick config is empty"), QStringLiteral("initEnd")} << QStringList() << QStringList();
    QTest::newRow("malformed-lines-reported-in-order-before-init-end")
        << QByteArray("/etc p\nbad rule line\n/var p+u\na=b=c\n") << yes
        << QStringList{QStringLiteral("read: Wrong rule: bad rule line"), QStringLiteral("read: Wrong alias: a=b=c"), QStringLiteral("initEnd")}
        << QStringList{QStringLiteral("/etc"), QStringLiteral("/var")} << QStringList();
    QTest::newRow("missing-file-reports-the-helper-message-only")
        << Missing << yes << QStringList{QStringLiteral("read: Can't open to read \"/etc/afick.conf\"")} << QStringList() << QStringList();
    QTest::newRow("refusal-reports-only") << GoodConfig << E2eEnvironment::Verdict::No << QStringList{QStringLiteral("read: ")} << QStringList()
                                          << QStringList();
}

void AfickConfigFileEditorE2eTest::asynchronousLoad()
{
    QFETCH(QByteArray, content);
    QFETCH(E2eEnvironment::Verdict, verdict);
    QFETCH(QStringList, events);
    QFETCH(QStringList, rulePaths);
    QFETCH(QStringList, aliasNames);

    QVERIFY(place(content));
    QVERIFY(m_env.setVerdict(verdict));
    for (const QString &event : std::as_const(events)) {
        if (event.startsWith(QLatin1String("read: "))) {
            QTest::ignoreMessage(QtWarningMsg, QByteArray("readConfigError: " + quotedForLog(event.mid(6))).constData());
        }
    }

    AfickConfigFileEditor editor;
    EditorEvents recorder(&editor);
    QSignalSpy finished(&editor, &AfickConfigFileEditor::readFinished);
    editor.loadConfigAsync();
    QVERIFY(recorder.events.isEmpty());
    QVERIFY(finished.wait(30000));
    // Nothing more may follow once the load has ended.
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(recorder.events, events);
    QCOMPARE(editor.currentRules().keys(), rulePaths);
    QCOMPARE(AfickAliasEditor::instance()->aliasMap().keys(), aliasNames);
}

void AfickConfigFileEditorE2eTest::failedAsynchronousLoadKeepsEdits()
{
    QVERIFY(place(GoodConfig));
    AfickConfigFileEditor editor;
    editor.loadConfigSync();
    editor.setRule({QString(), QStringLiteral("/usr"), {QStringLiteral("R")}});
    QVERIFY(editor.hasChanges());

    QVERIFY(m_env.setVerdict(E2eEnvironment::Verdict::No));
    QTest::ignoreMessage(QtWarningMsg, "readConfigError: \"\"");
    QSignalSpy readErrors(&editor, &AfickConfigFileEditor::readConfigError);
    QSignalSpy initEnds(&editor, &AfickConfigFileEditor::initEnd);
    editor.loadConfigAsync();
    QVERIFY(readErrors.wait(30000));
    QCOMPARE(initEnds.count(), 0);
    QVERIFY(editor.hasChanges());
    QCOMPARE(editor.currentRules().value(QStringLiteral("/usr")).attributes, QStringList{QStringLiteral("R")});
    QVERIFY(editor.isConfigLoaded());
}

void AfickConfigFileEditorE2eTest::blockingLoad_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<E2eEnvironment::Verdict>("verdict");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("ruleCount");
    QTest::addColumn<bool>("loaded");

    const auto yes = E2eEnvironment::Verdict::Yes;
    QTest::newRow("success-replaces-document-without-init-end") << GoodConfig << yes << QStringList() << 2 << true;
    QTest::newRow("empty-file-counts-as-read") << QByteArray() << yes << QStringList{QStringLiteral("read: Afick config is empty")} << 0 << true;
    QTest::newRow("missing-file-empties-document") << Missing << yes << QStringList{QStringLiteral("read: Can't open to read \"/etc/afick.conf\"")} << 0
                                                   << false;
    QTest::newRow("refusal-empties-document") << GoodConfig << E2eEnvironment::Verdict::No << QStringList{QStringLiteral("read: ")} << 0 << false;
}

void AfickConfigFileEditorE2eTest::blockingLoad()
{
    QFETCH(QByteArray, content);
    QFETCH(E2eEnvironment::Verdict, verdict);
    QFETCH(QStringList, events);
    QFETCH(int, ruleCount);
    QFETCH(bool, loaded);

    // Start from a loaded, edited document so that what a failure leaves behind shows.
    QVERIFY(place(GoodConfig));
    AfickConfigFileEditor editor;
    editor.loadConfigSync();
    editor.setRule({QString(), QStringLiteral("/usr"), {QStringLiteral("R")}});

    QVERIFY(place(content));
    QVERIFY(m_env.setVerdict(verdict));
    for (const QString &event : std::as_const(events)) {
        QTest::ignoreMessage(QtWarningMsg, QByteArray("readConfigError: " + quotedForLog(event.mid(6))).constData());
    }
    EditorEvents recorder(&editor);
    editor.loadConfigSync();
    QCOMPARE(recorder.events, events);
    QCOMPARE(editor.currentRules().size(), ruleCount);
    QCOMPARE(editor.parsedRules().size(), ruleCount);
    QVERIFY(!editor.hasChanges());
    QCOMPARE(editor.isConfigLoaded(), loaded);
    if (!loaded) {
        QVERIFY(editor.configLines().isEmpty());
        QVERIFY(AfickAliasEditor::instance()->aliasMap().isEmpty());
    }
}

void AfickConfigFileEditorE2eTest::saveWritesOnlyTheEditedLine()
{
    QVERIFY(place(GoodConfig));
    AfickConfigFileEditor editor;
    editor.loadConfigSync();
    editor.setRule({QStringLiteral("!"), QStringLiteral("/etc"), {QStringLiteral("MyAlias"), QStringLiteral("md5")}});
    editor.setRule({QString(), QStringLiteral("/usr/bin"), {QStringLiteral("R")}});

    EditorEvents recorder(&editor);
    editor.saveConfig();
    QCOMPARE(recorder.events, QStringList());
    QCOMPARE(fileContent(),
             QByteArray("# integrity rules\n"
                        "exclude_suffix := log\n"
                        "MyAlias = p+u\n"
                        "!/etc MyAlias+md5\n"
                        "!/tmp all\n"
                        "/usr/bin R\n"));
    QCOMPARE(m_env.fileStatus(Conf).mode, 0600u);
    QCOMPARE(m_env.fileStatus(Backup).content, GoodConfig);
    // The document still describes the file as read until the module reloads.
    QVERIFY(editor.hasChanges());
}

// The bytes cross the bus both ways: a legacy encoding, CRLF and blank lines
// survive a save of another line.
void AfickConfigFileEditorE2eTest::saveKeepsTheBytesOfUntouchedLines()
{
    const QByteArray legacy(
        "# \xcb\xcf\xce\xd4\xd2\xcf\xcc\xd8\r\n\r\n/opt/donn\xe9"
        "es p\r\n\r\n/etc p\r\n");
    QVERIFY(place(legacy));
    AfickConfigFileEditor editor;
    editor.loadConfigSync();
    editor.setRule({QString(), QStringLiteral("/etc"), {QStringLiteral("p"), QStringLiteral("-u")}});

    EditorEvents recorder(&editor);
    editor.saveConfig();
    QCOMPARE(recorder.events, QStringList());
    QCOMPARE(fileContent(),
             QByteArray("# \xcb\xcf\xce\xd4\xd2\xcf\xcc\xd8\r\n\r\n/opt/donn\xe9"
                        "es p\r\n\r\n/etc p-u\r\n"));
}

void AfickConfigFileEditorE2eTest::failedSaveReportsAndKeepsTheFile()
{
    QVERIFY(place(GoodConfig));
    AfickConfigFileEditor editor;
    editor.loadConfigSync();
    editor.setRule({QString(), QStringLiteral("/usr"), {QStringLiteral("R")}});

    QVERIFY(m_env.setActionVerdict(QStringLiteral("writeafickconfig"), E2eEnvironment::Verdict::No));
    QTest::ignoreMessage(QtWarningMsg, "writeConfigError: \"\"");
    EditorEvents recorder(&editor);
    editor.saveConfig();
    QCOMPARE(recorder.events, QStringList{QStringLiteral("write: ")});
    QCOMPARE(fileContent(), GoodConfig);
    QVERIFY(!m_env.fileStatus(Backup).exists);
    QVERIFY(editor.hasChanges());
}

void AfickConfigFileEditorE2eTest::saveAfterFailedLoadWritesNothing()
{
    QVERIFY(place(GoodConfig));
    QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::No));
    AfickConfigFileEditor editor;
    QTest::ignoreMessage(QtWarningMsg, "readConfigError: \"\"");
    editor.loadConfigSync();
    editor.setRule({QString(), QStringLiteral("/usr"), {QStringLiteral("R")}});
    const E2eFileStatus before = m_env.fileStatus(Conf);

    const QString message = QStringLiteral("The configuration has not been read; nothing was saved.");
    QTest::ignoreMessage(QtWarningMsg, QByteArray("writeConfigError: " + quotedForLog(message)).constData());
    EditorEvents recorder(&editor);
    editor.saveConfig();
    QCOMPARE(recorder.events, QStringList{QStringLiteral("write: ") + message});

    const E2eFileStatus after = m_env.fileStatus(Conf);
    QCOMPARE(after.content, GoodConfig);
    QCOMPARE(after.inode, before.inode);
    QVERIFY(!m_env.fileStatus(Backup).exists);
}

void AfickConfigFileEditorE2eTest::rollback_data()
{
    QTest::addColumn<E2eEnvironment::Verdict>("verdict");
    QTest::addColumn<bool>("backupExists");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("contentAfter");

    QTest::newRow("backup-put-back") << E2eEnvironment::Verdict::Yes << true << true << QByteArray("old\n");
    QTest::newRow("no-backup-fails") << E2eEnvironment::Verdict::Yes << false << false << GoodConfig;
    QTest::newRow("refusal-fails-and-changes-nothing") << E2eEnvironment::Verdict::No << true << false << GoodConfig;
}

void AfickConfigFileEditorE2eTest::rollback()
{
    QFETCH(E2eEnvironment::Verdict, verdict);
    QFETCH(bool, backupExists);
    QFETCH(bool, result);
    QFETCH(QByteArray, contentAfter);

    QVERIFY(place(GoodConfig));
    if (backupExists) {
        QVERIFY(m_env.writeFile(Backup, "old\n", 0600));
    }
    AfickConfigFileEditor editor;
    editor.loadConfigSync();
    const QStringList linesBefore = editor.configLines();

    QVERIFY(m_env.setVerdict(verdict));
    EditorEvents recorder(&editor);
    QCOMPARE(editor.rollbackConfig(), result);
    QCOMPARE(recorder.events, QStringList());
    QCOMPARE(fileContent(), contentAfter);
    // Rolling back does not reload: what to show next is the caller's decision.
    QCOMPARE(editor.configLines(), linesBefore);
}

void AfickConfigFileEditorE2eTest::overlappingRequestsBothComplete()
{
    QVERIFY(place(GoodConfig));
    AfickConfigFileEditor editor;
    EditorEvents recorder(&editor);
    editor.loadConfigAsync();

    // A blocking request made while the load is still pending lets the load
    // finish first, then gets its own answer.
    const HelperReply listing = HelperRequest::run(QStringLiteral("entryinfolist"), {{QStringLiteral("path"), QStringLiteral("/etc")}});
    QCOMPARE(recorder.events, QStringList{QStringLiteral("initEnd")});
    QVERIFY2(listing.succeeded(), qPrintable(listing.errorString));
    QVERIFY(!listing.data.value(QStringLiteral("entryinfolist")).toList().isEmpty());
    QCOMPARE(editor.currentRules().size(), 2);
}

QTEST_GUILESS_MAIN(AfickConfigFileEditorE2eTest)

#include "afickconfigfileeditore2etest.moc"
