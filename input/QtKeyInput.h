#pragma once
// A Qt key press read by the text the desktop's layout made of it: for "Reader Layout" "desktop", and for
// events that carry no X key code (synthesised ones, the offscreen platform). A printable character is
// taken as it is; Enter, Backspace, Tab and Esc by their Qt key; a key whose text Ctrl turned into a
// control character by its Qt key and Shift. Ctrl is passed on as it was reported: the key translation
// makes the control byte.

#include "ReaderKey.h"

#include <QtCore/qnamespace.h>

class QString;

ReaderKey ReaderKeyFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers);
