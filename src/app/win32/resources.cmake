# Windows resources of AtualizaTerminalQOR7.exe: an icon drawn at build time by make_icon.cpp
# (compiled for the build machine, not cross-compiled), the project's version and the manifest.
enable_language(RC)

find_program(ATUALIZA_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
set(_atu_res_dir ${CMAKE_CURRENT_BINARY_DIR}/win32_resources)
set(_atu_icon_tool ${_atu_res_dir}/make_icon)
set(ATUALIZA_ICON ${_atu_res_dir}/atualiza.ico)
set(ATUALIZA_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/atualiza.manifest)

add_custom_command(
  OUTPUT ${_atu_icon_tool}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_atu_res_dir}
  COMMAND ${ATUALIZA_HOST_CXX} -std=c++17 -O1 -o ${_atu_icon_tool} ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp
  COMMENT "Building the icon generator for the build machine"
  VERBATIM)
add_custom_command(
  OUTPUT ${ATUALIZA_ICON}
  COMMAND ${_atu_icon_tool} ${ATUALIZA_ICON}
  DEPENDS ${_atu_icon_tool}
  COMMENT "Drawing the program icon"
  VERBATIM)

# The numeric form of the version: "1.05" is 1,5,0,0.
math(EXPR _atu_major "${PROJECT_VERSION_MAJOR}")
math(EXPR _atu_minor "${PROJECT_VERSION_MINOR}")
set(ATUALIZA_RC_VERSION "${_atu_major},${_atu_minor},0,0")
configure_file(${CMAKE_CURRENT_LIST_DIR}/atualiza.rc.in ${_atu_res_dir}/atualiza.rc @ONLY)
set_source_files_properties(${_atu_res_dir}/atualiza.rc PROPERTIES
  OBJECT_DEPENDS "${ATUALIZA_ICON};${ATUALIZA_MANIFEST};${ATUALIZA_BUILD_INFO}")
# The version and build of build_info.h, the ones the program's mark carries.
target_include_directories(AtualizaTerminalQOR7 PRIVATE ${CMAKE_BINARY_DIR}/generated)
add_dependencies(AtualizaTerminalQOR7 atualiza_build_info)
# The icon as a source too, so that its command belongs to this target.
target_sources(AtualizaTerminalQOR7 PRIVATE ${_atu_res_dir}/atualiza.rc ${ATUALIZA_ICON})
# A window program: no console window opens beside the splash window.
set_target_properties(AtualizaTerminalQOR7 PROPERTIES WIN32_EXECUTABLE TRUE)
