// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QList>

/**
 * A polkit authentication agent for the test process, as a desktop's agent
 * that shows the password dialog: polkit asks it to authenticate an
 * administrator, and it holds every question, as a dialog nobody has
 * answered yet, until dismiss() answers it as a dismissed dialog (the
 * environment knows no password), which polkit takes as a refusal.
 */
class E2eAuthenticationAgent : public QDBusVirtualObject
{
    Q_OBJECT

public:
    ~E2eAuthenticationAgent() override;

    /// Exports the agent and registers it with polkitd for this process.
    bool registerForThisProcess();
    /// Whether polkit waits for an answer about @p actionId.
    bool isAsked(const QString &actionId) const;
    /// Answers the questions about @p actionId; false when none waits.
    bool dismiss(const QString &actionId);

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

private:
    QList<QDBusMessage> m_questions;
    bool m_registered = false;
};
