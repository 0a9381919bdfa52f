#pragma once

#include "settings/ViewerSettings.h"

#include <QString>

// The settings popup's two copies of the viewer settings record and the level control's
// position. The controls change the working copy; the main window only ever sees the
// handed-back copy, which catches up with the working copy on every get and every file write.
class SettingsRecord
{
public:
    // Set record: the main window hands its record over.
    void setRecord(const ViewerSettings& record);
    // Get record: the main window takes the working copy.
    ViewerSettings getRecord();

    ViewerSettings& working() { return m_working; }
    const ViewerSettings& working() const { return m_working; }
    const ViewerSettings& handedBack() const { return m_handedBack; }

    int levelPosition() const { return m_levelPosition; }
    // A drag of the level control to mouse x: the control's left edge follows x - 37 within its
    // track and the level follows the position.
    void dragLevelTo(int x);
    void recomputeLevel();

    // The password panel's answer (wParam, lParam). Returns true when the two entries differed
    // and the user must be told so (string 149).
    bool applyPasswordResult(int number, int confirmed);

    // Write the recorder settings file into saveDirectory: the record is brought up to date
    // (level from the control, device text "0") and handed back before the file is written, so
    // the main window sees what went to the card even when the write fails. Returns 0 when the
    // file was written, else the step that failed (see writeRecorderSettingsFile).
    int writeDeviceFile(const QString& saveDirectory);

private:
    ViewerSettings m_working;
    ViewerSettings m_handedBack;
    int m_levelPosition = 0;
};
