#pragma once
// Help > Help: opens the user manual, "App Folder" + "/" + "KestrinHelp.pdf", with the desktop's default
// viewer, or tells the user "Cannot open help file." (caption "Error"). The cursor confinement of the
// station lock is released first, so the viewer can be used; the main window's next paint renews it.
// A desktop without any application for the manual (a kiosk) gets the manual inside the station instead
// of the error box.

#include "DesktopShellOpen.h"

#include <QString>

#include <functional>
#include <string>

class QWidget;
class IShellOpen;

enum class HelpOutcome {
    ViewerStarted,  // the desktop's viewer has the manual and runs on its own
    ShownInStation, // the manual was shown inside the station and has been closed
    CannotOpen,     // "Cannot open help file." was shown
};

// The manual's path for an "App Folder" value, taken as stored (an empty folder gives "/KestrinHelp.pdf").
QString HelpFilePath(const std::string& appFolder);

// Runs the command; `owner` owns the error box and the manual shown inside the station.
HelpOutcome OpenHelp(QWidget* owner, const std::function<void()>& releaseConfinement = {},
                     IShellOpen& shell = DesktopShellOpen::Instance());
