# platform_gtest(name sources...): a GoogleTest program for the platform
# layer alone. It links only display_platform, so it builds and runs without
# the module's classes.
include_guard(GLOBAL)
function(platform_gtest name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE display_platform GTest::gtest GTest::gtest_main Qt5::Core)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${AUTOTEST_ENVIRONMENT}" TIMEOUT 600)
endfunction()
