#pragma once
// Where the Comments dialog opens over a card result: never over the verdict (the age, the verdict's word
// and mark, the expiry line), and on the screen. Below the verdict first (over the last results, and past
// the window's lower edge when the window is small), then above it, then beside the window.

#include <QPoint>
#include <QRect>
#include <QSize>

// The top-left corner of the dialog's frame (screen coordinates). `verdict` is the area to keep
// visible, `station` the station's frame, `screen` the screen's available area and `dialog` the size of
// the dialog's frame. When no place leaves the verdict whole, the one that covers least of it.
QPoint CommentsDialogPosition(const QRect& verdict, const QRect& station, const QRect& screen, const QSize& dialog);
