// One run at a time on a program folder. A second run (the icon clicked twice) would end the
// first one's modules, copy beside it and start a second main module: it ends at once instead.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace app {

// No mask of the old-version clean-up matches it.
inline constexpr std::string_view kNomeTrava = "AtualizaTerminalQOR7.trava";

// Takes the folder's lock for as long as the result lives. When another run holds it, the log
// says so and the caller ends without touching anything; a folder where no lock can be had (read
// only, say) runs without one, as before.
platform::LockResult TravaPastaPrograma(platform::Platform& plataforma, const std::string& pastaPrograma);

}  // namespace app
