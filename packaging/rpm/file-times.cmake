# Run by cpack after installing into its staging folder: every file's time becomes SOURCE_DATE_EPOCH, so the
# checkout's file times (rpm only clamps newer ones) do not reach the RPM.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY}
                          -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} + COMMAND_ERROR_IS_FATAL ANY)
endif()
