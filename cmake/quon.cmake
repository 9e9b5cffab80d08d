# Shared build settings for every target of the project.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Werror)
endif()

if(QUON_SANITIZE)
  if(QUON_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -g -O1)
    add_link_options(-fsanitize=thread)
  else()
    add_compile_options(-fsanitize=${QUON_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all -g)
    add_link_options(-fsanitize=${QUON_SANITIZE})
  endif()
endif()

if(WIN32)
  # One self-contained executable: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Adds a subsystem folder unless QUON_ONLY restricts the build to others.
function(quon_subsystem dir)
  if(QUON_ONLY AND NOT dir IN_LIST QUON_ONLY)
    return()
  endif()
  add_subdirectory(${dir})
endfunction()

# quon_add_gtest(name SOURCES a.cpp ... LIBS lib ... [LABELS l ...])
# One executable per suite; CTest runs every test case in a process of its own.
function(quon_add_gtest name)
  if(NOT QUON_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set(props "")
  if(T_LABELS)
    set(props PROPERTIES LABELS "${T_LABELS}")
    # Tests on the X server take it one at a time: their time includes the
    # wait for the others.
    if("x11" IN_LIST T_LABELS)
      list(APPEND props TIMEOUT 1800)
    endif()
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${props})
endfunction()

# quon_add_benchmark(name SOURCES a.cpp ... LIBS lib ...)
function(quon_add_benchmark name)
  if(NOT QUON_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()
