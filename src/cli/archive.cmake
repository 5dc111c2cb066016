# `orbelis-cli demo --archive`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ArchiveCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/ArchiveCommand.h
)
