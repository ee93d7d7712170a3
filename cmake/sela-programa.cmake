# Appends the build's mark to the end of the program (see src/renovacao/marca.h): its version and
# build from the header build-info.cmake wrote, the size of the file before the mark and its
# SHA-256. A file that already ends with a mark keeps it (an install that did not strip).
#   cmake -DPROGRAM=... -DINFO=.../build_info.h -P sela-programa.cmake
file(READ ${INFO} info)
string(REGEX MATCH "ATUALIZA_VERSION \"([^\"]*)\"" _ "${info}")
set(versao "${CMAKE_MATCH_1}")
string(REGEX MATCH "ATUALIZA_BUILD \"([^\"]*)\"" _ "${info}")
string(REPLACE " " "_" compilacao "${CMAKE_MATCH_1}")
file(SIZE ${PROGRAM} tamanho)
if(tamanho GREATER 512)
  math(EXPR desde "${tamanho} - 512")
else()
  set(desde 0)
endif()
file(READ ${PROGRAM} cauda OFFSET ${desde} HEX)
# "\n#ATUALIZA-MARCA " in hex
string(FIND "${cauda}" "0a23415455414c495a412d4d4152434120" ja REVERSE)
if(NOT ja EQUAL -1)
  return()
endif()
file(SHA256 ${PROGRAM} soma)
file(APPEND ${PROGRAM} "\n#ATUALIZA-MARCA versao=${versao} compilacao=${compilacao} tamanho=${tamanho} sha256=${soma}\n")
