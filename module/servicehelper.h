// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

/**
 * Whether the periodic integrity-check unit is enabled.
 *
 * The state is asked from systemd when the object is made, after each switch
 * and whenever systemd announces a change of unit files ("UnitFilesChanged");
 * reading the property only gives the state last asked, so that a page that
 * reads it often does not wait for the bus each time. Switching goes through
 * the privileged helper.
 */
class ServiceHelper : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isEnable READ isEnable WRITE setIsEnable NOTIFY enableChanged)

public:
    explicit ServiceHelper(QObject *parent = nullptr);

    bool isEnable() const;
    void setIsEnable(bool enable);

Q_SIGNALS:
    /// The state just asked from systemd, sent after every answer.
    void enableChanged(bool isEnabled);

private Q_SLOTS:
    void onUnitFilesChanged();

private:
    /// Asks systemd without waiting; the answer is reported when it comes.
    void startReading();
    void report(bool enabled);

    bool m_enabled = false;
    // Numbers the reads, so that the answer to one overtaken by a later read
    // cannot replace the newer state.
    quint64 m_reads = 0;
};
