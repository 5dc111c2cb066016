# `orbelis-cli chart`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/ChartCommand.h
)
