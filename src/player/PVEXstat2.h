#pragma once

#include "player/PVEXState.h"

// The quitting state: the player is ending.
class PVEXstat2 : public PVEXState
{
public:
    using PVEXState::PVEXState;

    int shutdown() override;
    int stateNumberOf() override;
    void trace() override;
};
