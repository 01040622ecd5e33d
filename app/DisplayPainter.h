#pragma once
// Draws the result display's text items (LayoutDisplay) with QPainter, in order, with a transparent
// background, so later items overdraw earlier ones without erasing them.

#include "DisplayLayout.h"

#include <QFont>

#include <array>
#include <vector>

class QPainter;

// The five display fonts, indexed by DisplayFont.
using DisplayFonts = std::array<QFont, 5>;

void PaintTextItems(QPainter& painter, const std::vector<TextItem>& items, const DisplayFonts& fonts);

// The painted text of an item: its single-byte text as the station shows it.
QString DisplayText(const std::string& text);
