// Figures the splash window shows: whole numbers in the "#,##0" form, kilobytes, padded text.
#pragma once

#include <cstdint>
#include <string>

namespace feedback {

// "#,##0": the whole number with `separator` between groups of three digits, no decimals.
std::string FormataMilhar(int64_t value, const std::string& separator);

// Kilobytes of a size in bytes, rounded up to whole units of 1,024 bytes: a file that is not
// empty never shows 0 Kb. Zero and negative sizes give 0.
int64_t Kilobytes(int64_t bytes);

// text followed by `fill` until it is `width` characters long (UTF-8 characters, not bytes);
// a text as long or longer is returned unchanged.
std::string CompletaDireita(const std::string& text, char fill, int width);

}  // namespace feedback
