# What a release package holds, side by side in one folder: the program, the administrator's
# guide and a sample settings file. The sample keeps another name, so that unpacking a package
# into a terminal's program folder can never replace the suite's own qor.ini.
# scripts/release.sh installs this component and packs it.
install(TARGETS AtualizaTerminalQOR7 RUNTIME DESTINATION . COMPONENT pacote)
# Stripping drops the build's mark: the installed program gets it again, over its new bytes.
install(CODE "execute_process(COMMAND \${CMAKE_COMMAND} -DPROGRAM=\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:AtualizaTerminalQOR7>
                                      -DINFO=${CMAKE_BINARY_DIR}/generated/build_info.h
                                      -P ${CMAKE_SOURCE_DIR}/cmake/sela-programa.cmake COMMAND_ERROR_IS_FATAL ANY)"
        COMPONENT pacote)
install(FILES ${CMAKE_SOURCE_DIR}/docs/guia-do-administrador.md ${CMAKE_SOURCE_DIR}/docs/qor.ini.exemplo
        DESTINATION . COMPONENT pacote)

# The package's name for scripts/release.sh: the version comes from project() alone.
if(WIN32)
  set(_atu_system windows)
else()
  set(_atu_system linux)
endif()
string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" _atu_processor)
if(_atu_processor MATCHES "^(x86_64|amd64)$")
  set(_atu_processor x64)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/nome-do-pacote.txt
     "AtualizaTerminalQOR7-${PROJECT_VERSION}-${_atu_system}-${_atu_processor}\n")
