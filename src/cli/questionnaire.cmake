# `orbelis-cli questionnaire|question` commands; included by the CLI's CMakeLists.txt.
target_sources(orbelis_cli_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CliOptions.cpp ${CMAKE_CURRENT_LIST_DIR}/CliOptions.h
  ${CMAKE_CURRENT_LIST_DIR}/QuestionnaireCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/QuestionnaireCommands.h
)
