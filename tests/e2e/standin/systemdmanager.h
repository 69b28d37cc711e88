// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "unitfilechange.h"

#include <QDBusContext>
#include <QMap>
#include <QObject>
#include <QStringList>

/**
 * The part of systemd's manager that the module and its helper use, with
 * systemd's signatures, served at "/org/freedesktop/systemd1". Unit-file
 * states live in memory; SystemdControl lets a test change them, make every
 * call fail, or make the manager stop answering.
 */
class SystemdManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.systemd1.Manager")

public:
    explicit SystemdManager(QObject *parent = nullptr);

    void reset();
    void setUnitFileState(const QString &unit, const QString &state);
    QString unitFileState(const QString &unit) const;
    void setFailure(const QString &errorName, const QString &errorMessage);
    void setSilent(bool silent);
    QStringList calls() const;

public Q_SLOTS:
    void Subscribe();
    QString GetUnitFileState(const QString &file);
    bool EnableUnitFiles(const QStringList &files, bool runtime, bool force, QList<UnitFileChange> &changes);
    QList<UnitFileChange> DisableUnitFiles(const QStringList &files, bool runtime);

Q_SIGNALS:
    void UnitFilesChanged();

private:
    // Records the call and decides whether it gets a normal answer; when not,
    // the error (or the silence) has already been arranged.
    bool admit(const QString &call);
    bool allKnown(const QStringList &files);

    QMap<QString, QString> m_states;
    QString m_failureName;
    QString m_failureMessage;
    bool m_silent = false;
    QStringList m_calls;
};
