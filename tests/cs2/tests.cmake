# The CS2 test reads the simulator's decoder and talks to the real program over TCP and UDP.
target_link_libraries(tst_cs2 PRIVATE trabolin_simcs2)
target_compile_definitions(tst_cs2 PRIVATE CS2_SIMULATOR="$<TARGET_FILE:trabolin-cs2-sim>")
add_dependencies(tst_cs2 trabolin-cs2-sim)
