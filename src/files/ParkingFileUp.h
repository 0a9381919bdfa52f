#pragma once

#include "files/RecordingListPage.h"

// The page of the manual event recordings ("muevt_" files).
class ParkingFileUp : public RecordingListPage
{
public:
    explicit ParkingFileUp(QWidget* parent)
        : RecordingListPage({1254, 1255, 1257}, parent)
    { }
};
