// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "outputstream.h"
#include "protocol.h"

#include <QTest>

namespace
{
using Appends = QVector<QPair<OutputStream::Channel, QByteArray>>;

struct Received {
    QString standardOutput;
    QString standardError;
    qint64 omittedBytes = 0;
    int omittedNotices = 0;
    // Whether every piece before the last of its channel ended a line.
    bool piecesEndLines = true;
};

Received streamed(const Appends &appends, qint64 limitBytes)
{
    Received received;
    QString *lastPieceOf = nullptr;
    QString lastPiece;
    OutputStream stream(
        [&](const QVariantMap &data) {
            if (data.contains(Protocol::Progress::OmittedBytes)) {
                QCOMPARE(data.value(Protocol::Progress::SentBytes).toLongLong(), (received.standardOutput + received.standardError).toLocal8Bit().size());
                received.omittedBytes = data.value(Protocol::Progress::OmittedBytes).toLongLong();
                ++received.omittedNotices;
                return;
            }
            QCOMPARE(data.size(), 1);
            const bool isOutput = data.contains(Protocol::Progress::StandardOutput);
            QString &text = isOutput ? received.standardOutput : received.standardError;
            if (lastPieceOf == &text && !lastPiece.endsWith(QLatin1Char('\n'))) {
                received.piecesEndLines = false;
            }
            lastPiece = data.first().toString();
            lastPieceOf = &text;
            text += lastPiece;
        },
        limitBytes);
    for (const auto &append : appends) {
        stream.append(append.first, append.second);
        stream.sendLines();
    }
    stream.finish();
    return received;
}
}

Q_DECLARE_METATYPE(Appends)

class OutputStreamTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streams_data()
    {
        QTest::addColumn<Appends>("appends");
        QTest::addColumn<qint64>("limitBytes");
        QTest::addColumn<QString>("standardOutput");
        QTest::addColumn<QString>("standardError");
        QTest::addColumn<qint64>("omittedBytes");

        const auto out = OutputStream::StandardOutput;
        const auto err = OutputStream::StandardError;
        QTest::newRow("lines-cut-anywhere-arrive-whole") << Appends{{out, "changed file : /a\nnew fi"}, {err, "warn"}, {out, "le : /b c\nlast"}} << qint64(1000)
                                                         << QStringLiteral("changed file : /a\nnew file : /b c\nlast") << QStringLiteral("warn") << qint64(0);
        QTest::newRow("exactly-the-bound-is-all-sent")
            << Appends{{out, "12345\n"}, {err, "789\n"}} << qint64(10) << QStringLiteral("12345\n") << QStringLiteral("789\n") << qint64(0);
        // The line that crosses the bound is held back whole, with all after it.
        QTest::newRow("past-the-bound-only-whole-lines") << Appends{{out, "1234\n"}, {out, "6789\nab"}, {out, "cd\n"}, {err, "late\n"}} << qint64(12)
                                                         << QStringLiteral("1234\n6789\n") << QString() << qint64(10);
        QTest::newRow("a-last-line-past-the-bound-is-held-back")
            << Appends{{out, "1234\n"}, {err, "partial"}, {out, "67890\n"}} << qint64(14) << QStringLiteral("1234\n") << QString() << qint64(13);
    }

    void streams()
    {
        QFETCH(Appends, appends);
        QFETCH(qint64, limitBytes);
        const Received received = streamed(appends, limitBytes);
        QTEST(received.standardOutput, "standardOutput");
        QTEST(received.standardError, "standardError");
        QTEST(received.omittedBytes, "omittedBytes");
        QCOMPARE(received.omittedNotices, received.omittedBytes > 0 ? 1 : 0);
        QVERIFY(received.piecesEndLines);
    }

    // A line longer than a piece is passed on before its end, even within a
    // character, and the channel's text still arrives intact.
    void overlongLineIsSentInPieces()
    {
        const QByteArray start = QByteArray(OutputStream::PieceBytes - 1, 'x') + "\xd0";
        const QByteArray end = QByteArray("\x9f") + QByteArray(OutputStream::PieceBytes, 'y') + '\n';
        int pieces = 0;
        QString text;
        OutputStream stream([&](const QVariantMap &data) {
            ++pieces;
            text += data.value(Protocol::Progress::StandardOutput).toString();
        });
        stream.append(OutputStream::StandardOutput, start);
        QCOMPARE(pieces, 1);
        stream.append(OutputStream::StandardOutput, end);
        stream.finish();
        QCOMPARE(pieces, 2);
        QCOMPARE(text, QString::fromLocal8Bit(start + end));
    }
};

QTEST_GUILESS_MAIN(OutputStreamTest)

#include "outputstreamtest.moc"
