# Helpers shared by every subsystem's CMakeLists.txt.

# Adds each direct child folder of DIR that has a CMakeLists.txt (support folders excluded).
function(qs_add_present_subdirectories dir)
  file(GLOB children LIST_DIRECTORIES true "${CMAKE_SOURCE_DIR}/${dir}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    get_filename_component(name "${child}" NAME)
    if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt" AND NOT name STREQUAL "support")
      if(NOT (dir STREQUAL "src" AND name STREQUAL "UI") AND NOT (dir STREQUAL "tests" AND name STREQUAL "UI"))
        add_subdirectory("${child}")
      endif()
    endif()
  endforeach()
endfunction()

# qs_add_gtest(NAME
#   SOURCES a.cpp ...
#   LIBS target ...
#   [MAIN none|core|gui]   test main: none = gtest_main (no Qt); core = QCoreApplication;
#                          gui = QApplication (on the offscreen platform unless X11 is given)
#   [X11]                  the test needs the real X server of the test session (DISPLAY)
#   [SANITIZE]             also built and run in the ASan/UBSan pass of the test command
#   [ENGINE_MODULES]       the test opens the engine modules (dlopen): LeakSanitizer does not scan
#                          thread-local storage for it, since its walk of a module's thread-local
#                          blocks (JavaScriptCore's threads) crashes the sanitizer itself
#   [TIMEOUT seconds]
#   [LABELS label ...])
function(qs_add_gtest name)
  cmake_parse_arguments(T "X11;SANITIZE;ENGINE_MODULES" "MAIN;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_MAIN)
    set(T_MAIN none)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_MAIN STREQUAL "none")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  elseif(T_MAIN STREQUAL "core")
    target_link_libraries(${name} PRIVATE qs_test_main_core)
  elseif(T_MAIN STREQUAL "gui" AND T_X11)
    target_link_libraries(${name} PRIVATE qs_test_main_gui)
  elseif(T_MAIN STREQUAL "gui")
    target_link_libraries(${name} PRIVATE qs_test_main_gui_offscreen)
  else()
    message(FATAL_ERROR "qs_add_gtest: unknown MAIN ${T_MAIN}")
  endif()
  target_compile_definitions(${name} PRIVATE
    QS_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QS_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")

  if(T_X11)
    list(APPEND T_LABELS x11)
  endif()
  if(T_SANITIZE)
    list(APPEND T_LABELS sanitize)
    set_property(GLOBAL APPEND PROPERTY QS_SANITIZE_TARGETS ${name})
  endif()
  # Tests without X11 also get the offscreen platform from their test main; the variable covers
  # child processes they start.
  set(env "QS_RESOURCE_DIR=${QS_RESOURCE_BUILD_DIR}")
  if(NOT T_X11)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  # Tests on the shared X server type real keys, move focus and change the keymap: one at a time.
  set(lock "")
  if(T_X11)
    set(lock "RESOURCE_LOCK x11-display")
  endif()
  set(env_modification "")
  if(T_ENGINE_MODULES)
    set(env_modification "ENVIRONMENT_MODIFICATION [==[LSAN_OPTIONS=string_append::use_tls=0]==]")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  # gtest_discover_tests flattens list-valued PROPERTIES (several labels, several environment
  # entries), so the properties are set by a script of our own that CTest runs after discovery.
  set(properties_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${properties_script}"
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES TIMEOUT ${T_TIMEOUT}\n"
    "    LABELS [==[${T_LABELS}]==] ENVIRONMENT [==[${env}]==] ${lock} ${env_modification})\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${properties_script}")
endfunction()

# qs_add_benchmark(NAME SOURCES ... LIBS ...): a Google Benchmark program under bench/.
function(qs_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE
    QS_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QS_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_property(GLOBAL APPEND PROPERTY QS_BENCHMARK_TARGETS ${name})
endfunction()

# qs_add_engine_module(NAME SOURCES ... LIBS ...): a shared module the program opens with dlopen
# the first time it needs the engine inside (src/Platform/Modules/EngineModules.h), so that neither
# the engine nor its libraries are loaded at start. Only the entry marked QS_MODULE_ENTRY is
# exported; the static libraries linked in stay private to the module. The program and its tests
# need the module at run time only: they depend on the target without linking it.
function(qs_add_engine_module name)
  cmake_parse_arguments(M "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${M_SOURCES})
  target_link_libraries(${name} PRIVATE ${M_LIBS})
  target_compile_definitions(${name} PRIVATE
    "QS_MODULE_ENTRY=extern \"C\" __attribute__((visibility(\"default\")))")
  set_target_properties(${name} PROPERTIES
    PREFIX "" CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY "${QS_MODULE_BUILD_DIR}")
  target_link_options(${name} PRIVATE "LINKER:--exclude-libs,ALL" "LINKER:--no-undefined")
  install(TARGETS ${name} LIBRARY DESTINATION "${QS_MODULE_INSTALL_DIR}")
  add_dependencies(qs_engine_modules ${name})
endfunction()

# One target that builds only what the sanitizer pass runs, and one for all benchmarks.
function(qs_finish_sanitize_target)
  get_property(targets GLOBAL PROPERTY QS_SANITIZE_TARGETS)
  add_custom_target(sanitize-tests)
  if(targets)
    add_dependencies(sanitize-tests ${targets})
  endif()
  if(TARGET qs_resources)
    add_dependencies(sanitize-tests qs_resources)
  endif()
  get_property(benches GLOBAL PROPERTY QS_BENCHMARK_TARGETS)
  add_custom_target(benchmarks)
  set(bench_files)
  if(benches)
    add_dependencies(benchmarks ${benches})
    foreach(bench IN LISTS benches)
      list(APPEND bench_files "$<TARGET_FILE:${bench}>")
    endforeach()
  endif()
  # The list scripts/bench.sh runs.
  list(JOIN bench_files "\n" bench_lines)
  file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/benchmarks.txt" CONTENT "${bench_lines}\n")
endfunction()
