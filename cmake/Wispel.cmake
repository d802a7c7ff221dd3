# Build helpers shared by every folder. Each folder lists its own sources by globbing its
# own directory, so that adding a file to one subsystem never touches another's build file.

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt.
function(wispel_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Include paths: every #include of the project names its file from the project root
# ("core/Exception.h", "tablestore/files/StoreFile.h"), but no target sees the whole source
# tree. A target sees the folder of its own sources and the folders of the libraries it links,
# directly or through the libraries those link, and nothing else: a header of a library that
# a target does not list is not found, and the build fails there rather than linking by luck.
# So the dependencies the build files state are the true ones.
#
# How: each library, test, tool and benchmark gets an include root of its own in the build
# tree, <build>/include/<target>/, holding one symbolic link named after its folder's path,
# e.g. <build>/include/wispel_xml_dom/xml/dom -> <source>/xml/dom (subfolders such as
# xml/dom/cm come with it). A library adds its root PUBLIC, so whatever links it gets the
# root together with those of the library's own DEPS; a program adds its root PRIVATE.
# The roots are made when CMake configures; nothing is copied, so edits show at once.
# wispel_include_root(TARGET SCOPE [FOLDER]) links FOLDER (the current one by default) into
# TARGET's root; a target built by hand, outside the functions below, calls it itself.
function(wispel_include_root target scope)
  set(source ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARGC GREATER 2)
    set(source ${ARGV2})
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${source})
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# wispel_library(NAME [DEPS lib...]): a static library of the .cpp files of this folder (a
# folder of headers only makes an interface library). DEPS are the libraries whose headers
# it includes; they pass on to whatever links this one.
function(wispel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    wispel_include_root(${name} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    wispel_include_root(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# wispel_test(NAME [LIBS lib...]): a GoogleTest program of the .cpp files of this folder,
# each of its tests registered with CTest.
function(wispel_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  wispel_include_root(${name} PRIVATE)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    WISPEL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    WISPEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # The time limit only catches a hang: the process-killing tests take minutes when the
  # machine is busy with other builds.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       PROPERTIES TIMEOUT 1200)
endfunction()

# wispel_tool(NAME SOURCES src... [LIBS lib...]): a command-line program in bin/, installed
# with the window program (its manual page is doc/man/NAME.1).
function(wispel_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  wispel_include_root(${name} PRIVATE)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# wispel_bench(NAME SOURCES src... [LIBS lib...]): a Google Benchmark program in bench/.
function(wispel_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  wispel_include_root(${name} PRIVATE)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endfunction()
