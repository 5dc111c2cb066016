# Headless pupil commands (`pupils import|list`, `options insert`); included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PupilsCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/PupilsCommands.h
)
