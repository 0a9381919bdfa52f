#pragma once

#include <QApplication>

// The application object: registers the fonts, runs the main window modally and ends the
// process when that window closes.
class CKOB_PCMgrApp : public QApplication
{
public:
    // What must be settled before the application object exists.
    static void prepare();

    CKOB_PCMgrApp(int& argc, char** argv);

    // Runs the main window; returns the process exit code.
    int run();
};
