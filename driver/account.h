// The account checks made at start.
#pragma once

// Non-zero when the account belongs to the local group "Administrators", directly or through
// a global group. Where Netapi32 or one of its functions is missing, the account is accepted.
int IsAdministrator();
// Enables SeShutdownPrivilege for this process, so that Windows can be restarted at the end of
// a run. Non-zero when the privilege was enabled.
int EnableShutdownPrivilege();
