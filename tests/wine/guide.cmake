# Tests of the guide's command lines under Wine; included by CMakeLists.txt.

# The guide's reg add lines (for the user, for SYSTEM and for the event source), its .reg file
# and its install and uninstall scripts, run under Wine.
foreach(case reg_add_lines_for_the_current_user reg_add_lines_for_system reg_file_import
    install_and_uninstall_scripts)
  add_test(NAME wine.guide.${case}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/guide_test.sh ${case} $<TARGET_FILE:merovant> $<TARGET_FILE:probe>)
  set_tests_properties(wine.guide.${case} PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT "LC_ALL=C.UTF-8;${wineArch}")
endforeach()
