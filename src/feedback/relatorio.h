// The updated-files report: one line per module executable whose copy reached its end.
#pragma once

#include <cstdint>
#include <string>

namespace feedback {

// The extension (from the last dot on) upper-cased is exactly ".EXE".
bool EhModuloExecutavel(const std::string& name);

// "  Arquivo: " and the name padded to 30 characters, " -  Tamanho: ", the kilobytes in "#,##0",
// " Kb" and a carriage return.
std::string LinhaRelatorio(const std::string& name, int64_t sizeInBytes, const std::string& separator);

}  // namespace feedback
