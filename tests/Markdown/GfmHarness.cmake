# The test harness shared by the Markdown tests and benchmarks: the GFM examples and the stock cmark-gfm
# command. Included from every folder that links it, so it exists whatever is configured first.
if(NOT TARGET MarkdownGfmHarness)
  find_package(ZLIB REQUIRED)
  set(gfm_harness_dir ${CMAKE_CURRENT_LIST_DIR}/Parser/GfmHarness)
  add_library(MarkdownGfmHarness STATIC
    ${gfm_harness_dir}/GfmExamples.cpp
    ${gfm_harness_dir}/CmarkCli.cpp
    ${gfm_harness_dir}/ComparableTree.cpp)
  set_target_properties(MarkdownGfmHarness PROPERTIES AUTOMOC OFF AUTORCC OFF)
  target_include_directories(MarkdownGfmHarness PUBLIC ${CMAKE_CURRENT_LIST_DIR}/Parser)
  target_link_libraries(MarkdownGfmHarness PUBLIC ZLIB::ZLIB)
endif()
