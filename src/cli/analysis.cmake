# `orbelis-cli analysis`, `compare`, `trend` and `groups`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AnalysisCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/AnalysisCommand.h
  ${CMAKE_CURRENT_LIST_DIR}/CompareCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/CompareCommand.h
  ${CMAKE_CURRENT_LIST_DIR}/GroupsCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/GroupsCommand.h
)
