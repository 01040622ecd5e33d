#pragma once
// Opens documents and addresses with the user's default handler (QDesktopServices). A local document
// for whose type the desktop names no application (xdg-mime query default) is not handed to it: the answer
// is kNoAssociation at once, as Windows' shell gives it, so the caller can offer something else.
//
// KESTRIN_OPEN_COMMAND, when set to a program path, replaces the desktop's handler: the program is started
// detached with the local file path (or the address) as its only argument. Kiosks use it to pin a viewer,
// tests to record what would have been opened.

#include "IShellOpen.h"

class DesktopShellOpen : public IShellOpen {
public:
    int Open(const QUrl& target) override;

    // The instance the dialogs use when they are given no other.
    static IShellOpen& Instance();
};
