// Turning the bytes of a text file into UTF-8 text and lines, the same way for every reader: the
// settings file and the module catalogue.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How bytes without a byte-order mark are read (the system's ANSI code page on Windows).
using AnsiDecoder = std::function<std::string(std::string_view bytes)>;

// UTF-8 where the bytes are valid UTF-8, Windows-1252 byte by byte where they are not.
std::string DecodeUtf8OrCp1252(std::string_view bytes);
// Every byte one Windows-1252 character (the ANSI code page of a Western Windows).
std::string DecodeCp1252(std::string_view bytes);
// Every character well-formed UTF-8 (ASCII included).
bool IsValidUtf8(std::string_view bytes);

// A UTF-8 or UTF-16 (either order) byte-order mark names the encoding and is dropped. Text without
// a mark is UTF-8 when all of it is valid UTF-8 (what current editors save), and goes whole
// through `ansi` otherwise: a file is in one encoding, never read half in each.
std::string DecodeText(std::string_view bytes, const AnsiDecoder& ansi = DecodeCp1252);
// The same, taking over `bytes` when they are already the text (UTF-8 without a mark): a large
// file is not held twice.
std::string DecodeText(std::string&& bytes, const AnsiDecoder& ansi = DecodeCp1252);

// Lines ended by CR LF, LF or a lone CR; a break at the very end adds no empty last line.
std::vector<std::string_view> SplitLines(std::string_view text);
// The same lines, each handed to `line` in turn.
void ForEachLine(std::string_view text, const std::function<void(std::string_view)>& line);

}  // namespace platform
