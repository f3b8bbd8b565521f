#pragma once

#include <QString>

class QPainter;
class QRectF;

namespace worktide {

// Draws text like QPainter::drawText(rect, flags, text) for the flags used here
// (left, right or centred; top or vertically centred; lines split at "\n"), but
// places every run of non-blank characters on its own and never draws a blank.
// The PDF writer maps the blank of the Nanum fonts back to a control character,
// which would make the saved text unsearchable; gaps are read as blanks instead.
// Lines follow each other at lineSpacing times the font's height.
void DrawTextRuns(QPainter& p, const QRectF& rect, int flags, const QString& text, double lineSpacing = 1.0);

} // namespace worktide
