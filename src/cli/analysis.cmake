# `orbelis-cli analysis`, `compare` and `trend`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AnalysisCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/AnalysisCommand.h
  ${CMAKE_CURRENT_LIST_DIR}/CompareCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/CompareCommand.h
)
