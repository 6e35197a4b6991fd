/* A host written in C, linked with the import library: each call it makes
 * binds to the export of the same name in PLVLIB32.DLL. Built, never run. */
#include "plvlib32.h"

static PLVAgentRuntime runtime;
static PLVAgentState agent;
static char line[] = "host";

int main(void) {
    PLVHWND *activeWindow = 0;
    agent.runtime = &runtime;
    InitializePLVLIB(0, &agent, "host", &activeWindow);
    Display(line);
    PLVMemFree(PLVMemAlloc(16));
    return (int)GetMemoryCount();
}
