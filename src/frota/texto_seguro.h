// Text from a record as a person may see it, on a console or in a page. A record is written by
// a terminal, so by anyone who can write to the share: it may carry terminal escapes, markup or
// characters that turn text around.
#pragma once

#include <string>
#include <string_view>

namespace frota {

// Invalid UTF-8 bytes, control characters (C0, DEL, C1) and the characters that reverse, hide or
// join text (bidirectional controls, zero-width characters, the byte-order mark) become U+FFFD.
std::string TextoVisivel(std::string_view texto);

// TextoVisivel, then "&", "<", ">", quote and apostrophe as entities: safe in HTML text and
// in a quoted attribute.
std::string EscapaHtml(std::string_view texto);

}  // namespace frota
