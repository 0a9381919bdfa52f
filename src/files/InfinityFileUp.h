#pragma once

#include "files/RecordingListPage.h"

// The page of the continuous recordings ("drf_" files).
class InfinityFileUp : public RecordingListPage
{
public:
    explicit InfinityFileUp(QWidget* parent)
        : RecordingListPage({1077, 1248, 1250}, parent)
    { }
};
