# Tests of the command lines of the guide and the reference under Wine; included by
# CMakeLists.txt.

# Every block of the guide run here or named as one Wine cannot run; the package's msiexec
# lines, the move from 1.0, and the reference's reg add lines and .reg file.
add_script_cases(guide guide_test.sh CASES every_guide_block_is_run_or_marked msiexec_lines_install_and_remove
  move_from_1_0 move_from_1_0_when_msiexec_asks_for_a_restart move_from_1_0_while_the_old_exe_is_open
  reg_add_lines_for_the_current_user reg_add_lines_for_system reg_file_import
  ARGS $<TARGET_FILE:merovant_setup> ${PROJECT_VERSION})
