# `orbelis-cli forms|publish|results`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WebCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/WebCommands.h
)
