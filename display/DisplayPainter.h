#pragma once
// Draws the result display (LayoutDisplay) with QPainter: the verdict's frame and mark first, then the
// text items in order with a transparent background, so later items overdraw earlier ones without
// erasing them.

#include "DisplayLayout.h"

#include <QString>

#include <string>
#include <vector>

class DisplayFontSet;
class QPainter;

void PaintDisplay(QPainter& painter, const DisplayOutput& display, const DisplayFontSet& fonts);
void PaintShapes(QPainter& painter, const std::vector<ShapeItem>& shapes);
void PaintTextItems(QPainter& painter, const std::vector<TextItem>& items, const DisplayFontSet& fonts);

// The painted text of an item: its single-byte text as the station shows it.
QString DisplayText(const std::string& text);
