# `orbelis-cli questionnaire export|import`, `backup` and `wipe`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MaintenanceCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/MaintenanceCommands.h
)
