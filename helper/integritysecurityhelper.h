// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QObject>
#include <QVariantMap>

/**
 * The KAuth responder of "ru.vantorix.integritysecurityhelper". It runs as
 * root and trusts no argument: each slot reads and checks its arguments and
 * then hands the work to one operation.
 */
class IntegritySecurityHelper : public QObject
{
    Q_OBJECT

public:
    /// Tells who sent the request being answered: a uid, or -1 when that is
    /// unknown. KAuth knows it only while it delivers a request.
    using CallerUid = int (*)();

    /// The program passes KAuth::HelperSupport::callerUid; by default the
    /// caller is unknown and may read nothing.
    explicit IntegritySecurityHelper(CallerUid callerUid = nullptr);

public Q_SLOTS:
    KAuth::ActionReply readafickconfig(const QVariantMap &args);
    KAuth::ActionReply writeafickconfig(const QVariantMap &args);
    KAuth::ActionReply rollbackconfig(const QVariantMap &args);
    KAuth::ActionReply entryinfolist(const QVariantMap &args);
    KAuth::ActionReply initializeafickdatabasemethod(const QVariantMap &args);
    KAuth::ActionReply checkintegritymethod(const QVariantMap &args);
    KAuth::ActionReply enableservicemethod(const QVariantMap &args);
    KAuth::ActionReply enablefailurescriptmethod(const QVariantMap &args);

private:
    CallerUid m_callerUid;
};
