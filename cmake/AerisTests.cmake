# aeris_add_tests(<target> SOURCES ... LIBS ... CLASSES ...)
# One test binary per subsystem; every test class in it becomes its own ctest entry, run as
# "<binary> <Class>" so that failures are reported per class.
function(aeris_add_tests target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;CLASSES" ${ARGN})
  add_executable(${target} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/testsupport/test_main.cpp)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} aeris_testsupport Qt6::Test)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${target} PRIVATE AERIS_PROGRAM_DIR="${AERIS_PROGRAM_DIR}")
  foreach(cls IN LISTS ARG_CLASSES)
    add_test(NAME ${target}.${cls} COMMAND ${target} ${cls})
    set_tests_properties(${target}.${cls} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endfunction()
