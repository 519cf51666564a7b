# Fails when a file listed in FormattedFiles.txt is not laid out as
# .clang-format says. Files join the list as they are formatted whole, so
# that the tree never gets one noisy reformatting.
file(STRINGS ${SOURCE_DIR}/cmake/FormattedFiles.txt listed)
list(TRANSFORM listed PREPEND ${SOURCE_DIR}/)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${listed}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE said)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Not laid out as .clang-format says (run clang-format -i on them):\n${said}")
endif()
