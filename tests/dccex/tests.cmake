# The DCC-EX link talks to the simulator over TCP and a pseudo-terminal.
target_compile_definitions(tst_dccex PRIVATE
  SIMULATOR_PROGRAMM="$<TARGET_FILE:trabolin-serial-sim>")
add_dependencies(tst_dccex trabolin-serial-sim)
