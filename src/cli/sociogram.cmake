# `orbelis-cli sociogram`; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SociogramCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/SociogramCommand.h
)
