#pragma once

#include "files/RecordingListPage.h"

// The page of the sensor event recordings ("evt_" files).
class EventFileUp : public RecordingListPage
{
public:
    explicit EventFileUp(QWidget* parent)
        : RecordingListPage({1077, 1248, 1253}, parent)
    { }
};
