// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QVariantMap>

class CheckReportModel;
struct HelperReply;

/**
 * Runs the two maintenance scripts through the privileged helper: the
 * initialisation of the integrity database and an integrity check now.
 *
 * A run does not block: the helper passes the script's output on while the
 * script runs, and the report fills as it comes, so the findings of a long
 * report show before it has ended. When the run ends, a failure is reported
 * through the error signal, with a text that can be shown as it is, and then
 * finished() follows.
 */
class IntegrityControlScriptCaller : public QObject
{
    Q_OBJECT
    /**
     * What the last run wrote, as the helper's reply carries it, so bounded
     * to the end of a long output: its output when it succeeded, the
     * helper's description (which carries the output) when the script
     * failed, for afick reports differences with a non-zero exit code; empty
     * when no script ran.
     */
    Q_PROPERTY(QString lastOutput READ lastOutput NOTIFY lastOutputChanged)
    /**
     * The exit code of the last run's script: 0 when it succeeded, the
     * script's own code when it failed, -1 when no script ran, it was
     * stopped, or the helper did not say.
     */
    Q_PROPERTY(int lastExitCode READ lastExitCode NOTIFY lastOutputChanged)
    /// The output of the run, read as a check report as it arrives.
    Q_PROPERTY(CheckReportModel *report READ report CONSTANT)
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    /**
     * Ready to show when the report is not all that afick said: the helper
     * passed on only part of an output beyond its bound, or the findings
     * read differ from afick's own totals. Empty otherwise.
     */
    Q_PROPERTY(QString reportNote READ reportNote NOTIFY reportNoteChanged)

public:
    explicit IntegrityControlScriptCaller(QObject *parent = nullptr);

    QString lastOutput() const;
    int lastExitCode() const;
    CheckReportModel *report() const;
    bool isRunning() const;
    QString reportNote() const;
    /// Lowers the bound of the output the helper passes on in a run; 0 leaves the helper's own.
    void setOutputLimit(qint64 bytes);

    /// Starts the run; false, and nothing starts, while a run is going on.
    Q_INVOKABLE bool initializeAfickDatabase();
    Q_INVOKABLE bool checkIntegrity();

Q_SIGNALS:
    void initializeError(const QString &error);
    void integrityError(const QString &error);
    /// Emitted at the end of every run, before finished().
    void lastOutputChanged();
    void runningChanged();
    void reportNoteChanged();
    /// Emitted when a run has ended, after its error signal.
    void finished(bool succeeded);

private:
    enum class Operation {
        InitializeDatabase,
        CheckIntegrity,
    };

    bool start(Operation operation);
    void takeProgress(const QVariantMap &data);
    void takeReply(Operation operation, const HelperReply &reply);
    void finishReport(const HelperReply &reply);
    void updateReportNote();

    bool m_running = false;
    QString m_lastOutput;
    int m_lastExitCode = -1;
    CheckReportModel *const m_report;
    /// Whether the helper passed any output on while the script ran.
    bool m_streamed = false;
    QString m_standardError;
    QString m_archive;
    qint64 m_sentBytes = 0;
    qint64 m_omittedBytes = 0;
    QString m_reportNote;
    qint64 m_outputLimitBytes = 0;
};
