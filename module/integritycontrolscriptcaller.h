// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

class CheckReportModel;
struct HelperReply;

/**
 * Runs the two maintenance scripts through the privileged helper: the
 * initialisation of the integrity database and an integrity check now.
 *
 * Each call blocks until the helper has replied and reports a failure through
 * its error signal, before it returns, with a text that can be shown as it is.
 */
class IntegrityControlScriptCaller : public QObject
{
    Q_OBJECT
    /**
     * What the last run wrote: its output when it succeeded, the helper's
     * description (which carries the output) when the script failed, for
     * afick reports differences with a non-zero exit code; empty when no
     * script ran.
     */
    Q_PROPERTY(QString lastOutput READ lastOutput NOTIFY lastOutputChanged)
    /// The last run's output read as a check report.
    Q_PROPERTY(CheckReportModel *report READ report CONSTANT)

public:
    explicit IntegrityControlScriptCaller(QObject *parent = nullptr);

    QString lastOutput() const;
    CheckReportModel *report() const;

    Q_INVOKABLE bool initializeAfickDatabase();
    Q_INVOKABLE bool checkIntegrity();

Q_SIGNALS:
    void initializeError(const QString &error);
    void integrityError(const QString &error);
    /// Emitted after every run, before the run's call returns.
    void lastOutputChanged();

private:
    void takeOutput(const HelperReply &reply);

    QString m_lastOutput;
    CheckReportModel *const m_report;
};
