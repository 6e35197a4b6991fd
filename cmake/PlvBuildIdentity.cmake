# Run at every build (cmake -P): writes the commit the sources were built
# from into a header, and touches it only when that changed, so a rebuild
# recompiles nothing for it. Sources outside a git checkout say "unknown".
# Takes SOURCE_DIR and OUTPUT.
execute_process(
  COMMAND git -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE failed ERROR_QUIET)
if(failed OR commit STREQUAL "")
  set(commit "unknown")
else()
  # Tracked files changed since the commit: the build is not that commit.
  execute_process(
    COMMAND git -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
    OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT changes STREQUAL "")
    string(APPEND commit "-modified")
  endif()
endif()
file(WRITE "${OUTPUT}.new" "#define PLV_BUILD_COMMIT \"${commit}\"\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
