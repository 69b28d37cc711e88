// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// README's first command, without installing packages or building: the
// sandbox opens the module on a virtual screen, selects /etc and writes a
// screenshot, which must show the module, not an empty or blank window.
// Another X server, with a screen too small for the module, holds the first
// free display number meanwhile: the sandbox's screen must take another one,
// or the module would open on, and the screenshot show, that other server.
class SandboxScreenshotTest : public QObject
{
    Q_OBJECT

    QProcess m_otherServer;
    QString m_screenshot;
    QString m_output;

private Q_SLOTS:
    void initTestCase()
    {
        m_otherServer.start(QStringLiteral("Xvfb"),
                            {QStringLiteral("-displayfd"),
                             QStringLiteral("1"),
                             QStringLiteral("-screen"),
                             QStringLiteral("0"),
                             QStringLiteral("640x480x24"),
                             QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
        QVERIFY2(m_otherServer.waitForReadyRead(30 * 1000), qPrintable(QString::fromLocal8Bit(m_otherServer.readAllStandardError())));

        QProcess sandbox;
        sandbox.setProcessChannelMode(QProcess::MergedChannels);
        sandbox.start(QStringLiteral(SANDBOX_SCRIPT),
                      {QStringLiteral("--no-build"), QStringLiteral("--build-dir"), QStringLiteral(BUILD_DIR), QStringLiteral("--screenshot")});
        // Only a guard against a hang; the sandbox ends by itself.
        QVERIFY(sandbox.waitForFinished(5 * 60 * 1000));
        m_output = QString::fromLocal8Bit(sandbox.readAll());
        QVERIFY2(sandbox.exitStatus() == QProcess::NormalExit && sandbox.exitCode() == 0, qPrintable(m_output));
        const QRegularExpressionMatch printed =
            QRegularExpression(QStringLiteral("^Screenshot: (.+\\.png)$"), QRegularExpression::MultilineOption).match(m_output);
        QVERIFY2(printed.hasMatch(), qPrintable(m_output));
        m_screenshot = printed.captured(1);
    }

    void cleanupTestCase()
    {
        m_otherServer.terminate();
        m_otherServer.waitForFinished();
    }

    void screenshotShowsTheModule()
    {
        const QImage image(m_screenshot);
        QVERIFY2(!image.isNull(), qPrintable(m_screenshot));
        QVERIFY(image.width() >= 1000 && image.height() >= 800);

        // The virtual screen is black; the window covers most of it with text,
        // icons and controls in many shades.
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        qint64 covered = 0;
        qint64 highlighted = 0;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y) & RGB_MASK;
                colours.insert(pixel);
                covered += pixel != (background & RGB_MASK);
                // Breeze's selection colour: the selected row of /etc.
                highlighted += qAbs(qRed(pixel) - 0x3d) < 12 && qAbs(qGreen(pixel) - 0xae) < 12 && qAbs(qBlue(pixel) - 0xe9) < 12;
            }
        }
        const qint64 area = qint64(image.width()) * image.height();
        QVERIFY2(covered * 2 > area, qPrintable(QStringLiteral("only %1 of %2 pixels differ from the background").arg(covered).arg(area)));
        QVERIFY2(colours.size() > 100, qPrintable(QStringLiteral("only %1 colours").arg(colours.size())));
        QVERIFY2(highlighted > 2000, qPrintable(QStringLiteral("no selected row: %1 pixels in the selection colour").arg(highlighted)));
    }

    // The host's log beside the screenshot: the page loaded without a warning
    // of its own, and a sanitized plug-in reported nothing.
    void pageLoadedCleanly()
    {
        QFile log(m_screenshot.chopped(4) + QStringLiteral(".log"));
        QVERIFY2(log.open(QIODevice::ReadOnly), qPrintable(log.fileName()));
        const QString text = QString::fromLocal8Bit(log.readAll());
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            for (const char *problem : {"kcm_trustwatch/contents/ui/", "Error loading QML", "ERROR: AddressSanitizer", "runtime error:"}) {
                QVERIFY2(!line.contains(QLatin1String(problem)), qPrintable(line));
            }
        }
    }
};

QTEST_GUILESS_MAIN(SandboxScreenshotTest)

#include "sandboxscreenshottest.moc"
