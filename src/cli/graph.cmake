# `orbelis-cli graph` commands (convert, dump, help). Included from src/cli/CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GraphCommands.h
  ${CMAKE_CURRENT_LIST_DIR}/GraphCommands.cpp)
target_link_libraries(orbelis_cli_lib PUBLIC orbelis_graph)
