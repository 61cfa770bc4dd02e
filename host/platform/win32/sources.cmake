# The Windows console and file requester.
target_sources(nandbridge_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/console_key_translation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console_key_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console_screen_clear.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_requester.cpp)
target_link_libraries(nandbridge_platform PUBLIC comdlg32)
