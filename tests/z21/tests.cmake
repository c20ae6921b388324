# The Z21 test reads the simulator's decoder and talks to the real program over UDP.
target_link_libraries(tst_z21 PRIVATE trabolin_simz21)
target_compile_definitions(tst_z21 PRIVATE Z21_SIMULATOR="$<TARGET_FILE:trabolin-z21-sim>")
add_dependencies(tst_z21 trabolin-z21-sim)
