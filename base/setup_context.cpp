#include "base/setup_context.h"

SSetupContext* g_setup = nullptr;
