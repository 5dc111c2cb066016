# `orbelis-cli session|answers|export` commands; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SessionCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/SessionCommands.h
)
