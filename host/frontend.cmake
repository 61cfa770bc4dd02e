# The console front end (a library, so tests drive the real loop) and the tool itself.
add_library(nandbridge_frontend STATIC
  ${CMAKE_CURRENT_LIST_DIR}/tool_console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform_console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workflows/workflow_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workflows/confirmation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workflows/page_views.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workflows/dumps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workflows/erase_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workflows/program_block.cpp)
target_include_directories(nandbridge_frontend PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(nandbridge_frontend PUBLIC nandbridge_link nandbridge_platform)

add_executable(nandbridge ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(nandbridge PRIVATE
  nandbridge_frontend nandbridge_link nandbridge_drivers nandbridge_platform
  nandbridge_firmware_image)
