#pragma once
// Help > Help: opens the user manual, "App Folder" + "/" + "KestrinHelp.pdf", with the desktop's default
// viewer, or tells the user "Cannot open help file." (caption "Error"). The cursor confinement of the
// station lock is released first, so the viewer can be used; the main window's next paint renews it.

#include "DesktopShellOpen.h"

#include <QString>

#include <functional>
#include <string>

class QWidget;
class IShellOpen;

// The manual's path for an "App Folder" value, taken as stored (an empty folder gives "/KestrinHelp.pdf").
QString HelpFilePath(const std::string& appFolder);

// Runs the command; `owner` owns the error box. Returns true when the viewer was started.
bool OpenHelp(QWidget* owner, const std::function<void()>& releaseConfinement = {},
              IShellOpen& shell = DesktopShellOpen::Instance());
