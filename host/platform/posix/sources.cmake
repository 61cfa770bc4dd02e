# The console on POSIX terminals; included into nandbridge_platform.
target_sources(nandbridge_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clear_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_sequence_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/read_key_code.cpp
  ${CMAKE_CURRENT_LIST_DIR}/request_file_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/terminal_raw_mode.cpp)

# Line editing with path completion for the file requester: libedit (BSD licence). Without it
# the requester falls back to a plain line.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(LIBEDIT QUIET IMPORTED_TARGET libedit)
endif()
if(LIBEDIT_FOUND)
  target_link_libraries(nandbridge_platform PRIVATE PkgConfig::LIBEDIT)
  target_compile_definitions(nandbridge_platform PRIVATE NANDBRIDGE_HAVE_LIBEDIT)
else()
  find_path(LIBEDIT_INCLUDE_DIR editline/readline.h)
  find_library(LIBEDIT_LIBRARY edit)
  if(LIBEDIT_INCLUDE_DIR AND LIBEDIT_LIBRARY)
    target_include_directories(nandbridge_platform PRIVATE ${LIBEDIT_INCLUDE_DIR})
    target_link_libraries(nandbridge_platform PRIVATE ${LIBEDIT_LIBRARY})
    target_compile_definitions(nandbridge_platform PRIVATE NANDBRIDGE_HAVE_LIBEDIT)
  else()
    message(STATUS "libedit not found: the file requester reads a plain line")
  endif()
endif()
