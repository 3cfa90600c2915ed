// The GUI entry point of setup.exe.
#include <objbase.h>
#include <windows.h>

#include <cstdlib>

#include "base/messages.h"
#include "base/setup_context.h"
#include "driver/run_setup.h"
#include "resources/string_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand) {
    g_setup = static_cast<SSetupContext*>(std::calloc(1, sizeof(SSetupContext)));
    if (g_setup == nullptr) {
        ShowMessageBox(nullptr, IDS_NO_MEMORY, IDS_CAPTION_ERROR, MB_OK, nullptr);
        return 0;
    }
    CoInitialize(nullptr);
    RunSetup(instance, previous, commandTail, showCommand);
    CoUninitialize();
    std::free(g_setup);
    g_setup = nullptr;
    return 0;
}
