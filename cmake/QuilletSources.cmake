# What every build of Quillet shares: the Linux build, the fuzz targets (fuzz/) and the
# Windows cross build (win/) include this file and call the macros with the tree's root.

# QL_PLUGIN_SOURCES: the plug-in's subsystem folders, without the POSIX attach glue (each build
# gives the module its own entry). QL_HOST_SOURCES: everything under host/ but the command
# line's main.cpp and the Windows build's own host/win/.
macro(quillet_sources root)
  set(QL_PLUGIN_SOURCES)
  foreach(_ql_dir IN ITEMS core transform text hatch edit measure dimension macro)
    file(GLOB_RECURSE _ql_sources CONFIGURE_DEPENDS ${root}/${_ql_dir}/*.cpp)
    list(APPEND QL_PLUGIN_SOURCES ${_ql_sources})
  endforeach()
  list(FILTER QL_PLUGIN_SOURCES EXCLUDE REGEX ".*/core/attach_posix\\.cpp$")
  file(GLOB_RECURSE QL_HOST_SOURCES CONFIGURE_DEPENDS ${root}/host/*.cpp)
  list(FILTER QL_HOST_SOURCES EXCLUDE REGEX ".*/host/main\\.cpp$")
  list(FILTER QL_HOST_SOURCES EXCLUDE REGEX ".*/host/win/.*")
endmacro()

# The Debian libraries of the Linux host: FreeType, nlohmann-json, dxflib, cpp-httplib (the
# server of qlhost --serve) and threads.
macro(quillet_host_packages)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  find_package(nlohmann_json 3 REQUIRED)
  find_library(DXFLIB_LIBRARY NAMES dxflib REQUIRED)
  find_path(DXFLIB_INCLUDE_DIR dl_dxf.h PATH_SUFFIXES dxflib REQUIRED)
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  find_package(Threads REQUIRED)
endmacro()
