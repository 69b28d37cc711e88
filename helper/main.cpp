// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritysecurityhelper.h"

#include "protocol.h"

#include <KAuth/HelperSupport>

int main(int argc, char **argv)
{
    // helperMain owns the event loop; the process ends when it returns, so the
    // responder is deliberately never deleted.
    auto *helper = new IntegritySecurityHelper(&KAuth::HelperSupport::callerUid);
    return KAuth::HelperSupport::helperMain(argc, argv, Protocol::HelperId.data(), helper);
}
