#include "player/PVEXstat2.h"

#include "player/PVEXAdap.h"

int PVEXstat2::shutdown()
{
    return m_adapter.unloadPlayerLibrary();
}

int PVEXstat2::stateNumberOf()
{
    return 2;
}

void PVEXstat2::trace()
{
    traceDelay();
    traceLine("####stat2\n");
}
