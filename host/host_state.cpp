#include "host_state.h"

HostState hostState;

HINSTANCE SaverModuleInstance()
{
    return hostState.moduleInstance;
}

bool SaverIsPreview()
{
    return hostState.isPreview != 0;
}
