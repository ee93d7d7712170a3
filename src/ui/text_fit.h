// What a label of fixed size shows of a text too long for it, the same on every window backend:
// each backend measures with its own fonts, the rule is one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui {

// Width in pixels of a text in the label's font.
using MeasureText = std::function<int(const std::string&)>;

// The line as it fits in `width`: unchanged when it fits; else the middle of the path in it (the
// first word holding a "\" or "/") gives way to "…", keeping the path's root and as much of its
// end as fits, the file name first; when even that is too wide, the text before the file name
// gives way too. The end of the line is always kept.
std::string FitLine(const std::string& line, int width, const MeasureText& measure);

// The lines of a caption (broken at CR, LF or CR LF) in a box that holds `maxLines` of them: the
// last line shown takes the rest, joined with blanks.
std::vector<std::string> LinesForBox(const std::string& caption, int maxLines);

}  // namespace ui
