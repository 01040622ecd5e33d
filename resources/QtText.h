#pragma once
// Where the station's byte strings meet Qt's strings, by one rule: the bytes are Latin-1 (ISO 8859-1).
//
//   card bytes, string table texts --FromBytes--> QString (display, dialogs, menus)
//   typed comments (QLineEdit)     --ToBytes----> bytes of the CSV row
//
// Card bytes, the string table's texts and the operator's comments end up in the same CSV row and on
// the same display, so they share one encoding. Latin-1 maps each of the 256 byte values to one character
// and back: no byte of a card is lost or merged on its way to the screen, whatever the system's locale,
// and a log file stays in one 8-bit encoding whoever typed into it. A typed character outside Latin-1
// becomes '?'. File paths are no texts of the station: they go by the system's encoding (QFile).

#include <QString>

#include <string>
#include <string_view>

namespace QtText {

QString FromBytes(std::string_view bytes);
std::string ToBytes(const QString& text);
// The string table's text `id` (Resources::String).
QString Resource(unsigned id);

} // namespace QtText
