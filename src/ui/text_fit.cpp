#include "ui/text_fit.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/text_decoding.h"

namespace ui {

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";  // …

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where the path starts: the first word (after a blank or an opening bracket) holding a separator.
size_t PathStart(const std::string& line) {
    const size_t separator = line.find_first_of("\\/");
    if (separator == std::string::npos) return std::string::npos;
    const size_t before = line.find_last_of(" \t([", separator);
    return before == std::string::npos ? 0 : before + 1;
}

// The end of the path's root: "\\SERVIDOR\", "C:\", "/mnt/".
size_t RootEnd(const std::string& line, size_t start) {
    size_t i = start;
    while (i < line.size() && IsSeparator(line[i])) ++i;
    while (i < line.size() && !IsSeparator(line[i]) && line[i] != ' ') ++i;
    return i < line.size() && IsSeparator(line[i]) ? i + 1 : start;
}

// Byte offsets of the character boundaries of line from `from` on, the end included.
std::vector<size_t> Boundaries(const std::string& line, size_t from) {
    std::vector<size_t> out;
    for (size_t i = from; i < line.size(); i += platform::utf8CharLength(line, i)) out.push_back(i);
    out.push_back(line.size());
    return out;
}

// The separators of line from `from` on: a path is cut between whole folder names.
std::vector<size_t> Separators(const std::string& line, size_t from) {
    std::vector<size_t> out;
    for (size_t i = from; i < line.size(); ++i)
        if (IsSeparator(line[i])) out.push_back(i);
    return out;
}

// head + "…" + the longest end of the line, starting at one of `cuts`, that fits; empty when none does.
std::string HeadAndEnd(const std::string& head, const std::string& line, const std::vector<size_t>& cuts, int width,
                       const MeasureText& measure) {
    // The earliest cut that fits keeps the most of the end: the widths fall as the cut moves right.
    size_t low = 0, high = cuts.size();
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (measure(head + kEllipsis + line.substr(cuts[mid])) <= width) high = mid;
        else low = mid + 1;
    }
    return low < cuts.size() ? head + kEllipsis + line.substr(cuts[low]) : std::string();
}

// A text without a path keeps as much of its start as of its end.
std::string BothEnds(const std::string& line, int width, const MeasureText& measure) {
    const std::vector<size_t> cuts = Boundaries(line, 0);
    for (size_t keep = (cuts.size() - 1) / 2; keep > 0; --keep) {
        const std::string candidate = line.substr(0, cuts[keep]) + kEllipsis + line.substr(cuts[cuts.size() - 1 - keep]);
        if (measure(candidate) <= width) return candidate;
    }
    return kEllipsis;
}

}  // namespace

std::string FitLine(const std::string& line, int width, const MeasureText& measure) {
    if (measure(line) <= width) return line;
    const size_t path = PathStart(line);
    const size_t lastSeparator = line.find_last_of("\\/");
    // The file name and what follows it (a closing bracket) must stay whole where they can.
    const size_t nameStart = lastSeparator == std::string::npos ? line.size() : lastSeparator;
    if (path != std::string::npos) {
        const size_t root = RootEnd(line, path);
        for (size_t headEnd : {root, path}) {
            const std::string fitted = HeadAndEnd(line.substr(0, headEnd), line, Separators(line, headEnd), width, measure);
            if (!fitted.empty()) return fitted;
        }
    }
    if (lastSeparator == std::string::npos) return BothEnds(line, width, measure);
    // The sentence before the file name gives way, from its end: the start and the end stay.
    const std::vector<size_t> heads = Boundaries(line.substr(0, nameStart), 0);
    for (size_t i = heads.size(); i-- > 0;) {
        const std::string candidate = line.substr(0, heads[i]) + kEllipsis + line.substr(nameStart);
        if (measure(candidate) <= width) return candidate;
    }
    return HeadAndEnd("", line, Boundaries(line, 0), width, measure);
}

std::vector<std::string> LinesForBox(const std::string& caption, int maxLines) {
    std::vector<std::string> lines;
    platform::ForEachLine(caption, [&lines](std::string_view line) { lines.emplace_back(line); });
    if (lines.empty()) lines.emplace_back();
    const size_t keep = static_cast<size_t>(std::max(1, maxLines));
    while (lines.size() > keep) {
        const std::string last = lines.back();
        lines.pop_back();
        lines.back() += " " + last;
    }
    return lines;
}

}  // namespace ui
