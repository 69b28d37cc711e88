// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritysecurityhelper.h"

// Placeholder bodies until the actions land; every one refuses.
KAuth::ActionReply IntegritySecurityHelper::readafickconfig(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::writeafickconfig(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::rollbackconfig(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::entryinfolist(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::initializeafickdatabasemethod(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::checkintegritymethod(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::enableservicemethod(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
KAuth::ActionReply IntegritySecurityHelper::enablefailurescriptmethod(const QVariantMap &)
{
    return KAuth::ActionReply::HelperErrorReply();
}
