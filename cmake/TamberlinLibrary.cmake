# tamberlin_library(NAME DIR [DEPS ...]): a static library of the .cpp files in DIR (not its
# subfolders), built with our strict warnings.
function(tamberlin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE tamberlin_warnings)
endfunction()
