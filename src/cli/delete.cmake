# The headless "delete" command (cascading deletions through the data module).
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DeleteCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/DeleteCommand.h
)
