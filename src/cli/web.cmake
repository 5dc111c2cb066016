# `orbelis-cli forms|publish|results|codes`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CodesCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/CodesCommand.h
  ${CMAKE_CURRENT_LIST_DIR}/WebCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/WebCommands.h
)
