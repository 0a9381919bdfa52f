#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Every text the user sees. The numbered texts are the string table; the named ones are texts
// that have no number (captions set in code, dialog titles, the USB tool's English texts).
// All of them are UTF-8 and sit together in Strings.cpp. The Russian ones are the sources of
// Qt's translation (context "strings"): they read in the language installed with
// strings::setLanguage() (Language.h), Russian when none is.
namespace strings {

// The text of a string-table id, or an empty text for an id the table does not have.
QString text(int id);

// Every id of the table, ascending.
QList<int> ids();

// A fixed text without a number. Converts to QString where one is expected.
struct Text
{
    const char* utf8;

    // In the language installed now.
    QString toString() const;
    operator QString() const { return toString(); }
    QByteArray bytes() const { return QByteArray(utf8); }
};

// Main window.
extern const Text kAppTitle; // window title

// File selector.
extern const Text kFileSelectorTitle;
extern const Text kChooseFolderButton; // button 1245
extern const Text kAddToList; // button 1247
extern const Text kCancel; // button 2
extern const Text kTabContinuous;
extern const Text kTabEvent;
extern const Text kTabManual;
extern const Text kChooseFolder; // folder browser title, and the message for a non-folder choice
extern const Text kFolderChoiceCancelled;
extern const Text kNoRecordingsInFolder;
extern const Text kPleaseSelectRecordings;
extern const Text kSelectAll; // "Select All" box of the recording list pages

// Information popup.
extern const Text kInformation;
extern const Text kBrandLine;

// Password panel.
extern const Text kPasswordPanelTitle;
extern const Text kNewPassword;
extern const Text kConfirmPassword;

// Settings popup and save popup: the folder browser's title.
extern const Text kSelectDirectory;

// Main window: copying the open recording. kCopyFailed takes the destination and the reason.
extern const Text kCopyChooseFolderFirst;
extern const Text kCopyFailed;
extern const Text kCopyOntoItself;
extern const Text kCopyCannotRead;
extern const Text kCopyCannotCreate;
extern const Text kCopyWriteFailed;
extern const Text kCopySizeMismatch;
extern const Text kCopyCannotReplace;
extern const Text kCopyCancelled;
// Main window: the printer could not start the page (the dialog was confirmed).
extern const Text kPrintFailed;

// Reports of the settings popup, the save popup and the password panel that the numbered texts
// have no words for. "%1", "%2" are filled in.
extern const Text kChooseFolderFirst; // a folder is needed before the job can run
extern const Text kFolderNameRefused; // %1 the folder; "?" and "*" separate the stored texts
extern const Text kCaptureSaved; // %1 frames saved, %2 the folder
extern const Text kCaptureLost; // %1 frames that could not be taken or written
extern const Text kFileNotWritten; // %1 the file, %2 the reason below
extern const Text kReasonNotCreated;
extern const Text kReasonNotComplete;
extern const Text kReasonNotReplaced;
extern const Text kPasswordFourDigits;

// Main window: recordings that cannot be played or are no recordings. kRecordingNotOpened
// takes the file and one of the reasons; kNotRecordings the list of what was refused.
extern const Text kRecordingNotOpened;
extern const Text kReasonMissing;
extern const Text kReasonEmpty;
extern const Text kReasonUnreadable;
extern const Text kReasonNotPlayable;
// The title's note when the list plays on past a damaged recording (%1: its name).
extern const Text kSkippedDamaged;
extern const Text kSkippedNotClosed; // %1: the recording's name

// Recordings the camera never closed (a power cut): the offer, the work and its outcomes.
extern const Text kReasonNotClosed; // a row's tooltip, and why the list passed it over
extern const Text kOfferRecovery;
extern const Text kRecovering;
extern const Text kRecovered; // the title's note (%1: the recovered file's name)
extern const Text kRecoveryCancelled;
extern const Text kNoReference; // asks whether to choose a folder holding one
extern const Text kChooseReferenceFolder; // the folder browser's title
extern const Text kNoReferenceInFolder;
extern const Text kReferenceRefused;
extern const Text kNothingToRecover;
extern const Text kRecoveryReadFailed;
extern const Text kRecoveryWriteFailed;
extern const Text kNotRecordings;

// Drives: the summary popup, the play list's menu and tooltip.
extern const Text kDriveSummary; // the popup's title and the menu's entry
extern const Text kDriveStart;
extern const Text kDriveEnd;
extern const Text kDriveDuration;
extern const Text kDriveRecordings;
extern const Text kDriveDistance;
extern const Text kDriveMaxSpeed;
extern const Text kDriveMeanSpeed;
extern const Text kDriveMovingStopped;
extern const Text kDriveEvents; // %1: how many
extern const Text kDriveEventsHint;
extern const Text kDriveAnalysing; // the title's note while the folder is still being read
extern const Text kDriveNone; // the recording belongs to no drive (its telemetry is unreadable)
extern const Text kDriveTooltip; // %1 start, %2 end, %3 recordings, %4 distance
extern const Text kEventCamera;
extern const Text kEventBraking;
extern const Text kEventAcceleration;
extern const Text kEventImpact;
extern const Text kEventTurn;
extern const Text kKilometres;
extern const Text kUnitKmh;
extern const Text kUnitMph;
extern const Text kUnitKnots;
extern const Text kUnitDegreesPerSecond;

// Clips: the span marked on the seek bar, its menu, and the export popup.
extern const Text kClipMarkStart; // the menu's entries
extern const Text kClipMarkEnd;
extern const Text kClipSave;
extern const Text kClipSaveEvent;
extern const Text kClipClearMarks;
extern const Text kClipTitle; // the popup's title
extern const Text kClipFrom;
extern const Text kClipTo;
extern const Text kClipLength;
extern const Text kClipFolder;
extern const Text kClipBrowse;
extern const Text kClipChooseFolder; // the folder browser's title
extern const Text kClipAlsoGpxCsv;
extern const Text kClipOverlay; // also the clip drawn with its telemetry
extern const Text kClipStart; // the button that starts the export
extern const Text kClipEndBeforeStart;
extern const Text kClipNoFolder; // %1: the folder
extern const Text kClipWritten; // %1: the files written, one a line
extern const Text kClipFailed; // %1: what failed, in the export's own words
extern const Text kClipCancelled;
extern const Text kClipNothing;
extern const Text kClipNotes; // %1: why the span was split or shortened, one a line
extern const Text kClipBusy;

// The archive: the window (drives by day, the map's search, the speed profile), the import of a
// card offered in the main window's title, and the play list menu's entries.
extern const Text kArchiveTitle;
extern const Text kArchiveMenu; // the play list menu's entry that opens the window
extern const Text kArchiveImportMenu; // the play list menu's entry that imports the card
extern const Text kArchiveVehicle;
extern const Text kArchiveAll;
extern const Text kArchiveEvents;
extern const Text kArchiveDates;
extern const Text kArchivePlace;
extern const Text kArchivePlaceHint;
extern const Text kArchiveRadius;
extern const Text kArchiveSearch;
extern const Text kArchiveDistance; // the drives' column: km
extern const Text kArchiveDrivesOfDay; // %1: the day
extern const Text kArchiveNoDrives;
extern const Text kArchiveFound; // %1: how many
extern const Text kArchiveNothingFound;
extern const Text kArchiveSearching;
extern const Text kArchivePlaceInvalid;
extern const Text kArchiveCannotOpen; // %1: why, in the database's words
extern const Text kArchiveHint;
extern const Text kProfileEmpty;
extern const Text kArchiveOffer; // %1: how many recordings the archive lacks
extern const Text kArchiveChooseCard;
extern const Text kArchiveNothingMissing;
extern const Text kArchiveImporting;
extern const Text kArchiveImported; // %1 kept, %2 already there, %3 kept beside another, %4 failed
extern const Text kArchiveImportProblems; // %1: the recordings that failed, one a line
extern const Text kArchiveImportDamaged; // %1: recordings kept as they are, one a line
extern const Text kArchiveUnclosed;
extern const Text kArchiveUnreadable;
extern const Text kArchiveImportCancelled; // %1: how many were kept before the cancel
extern const Text kArchiveImportWriteFailed; // %1: why

// USB tool (English by design).
extern const Text kUsbToolTitle;
extern const Text kDataTransmission;
extern const Text kUsbCancel;
extern const Text kUsbTabRecorder;
extern const Text kUsbTabRecSet;
extern const Text kUsbTabViewer;
extern const Text kUsbTabDisplay;
extern const Text kUsbTabSetting;
extern const Text kUsbTabEtc;
extern const Text kDeviceNotFound;
extern const Text kUsbTransmitting; // the transmission button while the exchange runs
extern const Text kUsbConfigRefused; // the recorder refused configuration 1
extern const Text kUsbInterfaceBusy; // interface 0 could not be claimed
extern const Text kUsbSendIncomplete; // the request did not go out whole
extern const Text kUsbReplyIncomplete; // no reply, or a short one
extern const Text kUsbConfirmSdFormat; // before sending a record that formats the card

} // namespace strings
