# `orbelis-cli documents` commands (the class document register); included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DocumentCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/DocumentCommands.h
)
