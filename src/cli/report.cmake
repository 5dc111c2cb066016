# `orbelis-cli report`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ReportCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/ReportCommand.h
)
