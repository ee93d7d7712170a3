# Writes OUTPUT, the header that names this build: the version and the commit it was built from
# ("+" when the tree had changes). Run at every build; the file is rewritten only when its text
# changes, so an unchanged build recompiles nothing.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=... -P build-info.cmake
execute_process(COMMAND git describe --always --dirty=+ --abbrev=10
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE commit ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE failed)
if(failed OR commit STREQUAL "")
  set(commit "sem controle de versão")
endif()
set(text "// Generated at build time by cmake/build-info.cmake.\n#pragma once\n#define ATUALIZA_VERSION \"${VERSION}\"\n#define ATUALIZA_BUILD \"${commit}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
