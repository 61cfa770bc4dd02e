# The EZ-USB driver backend. Its logic builds everywhere (the tests check its calls through
# the OS-call table); only Windows binds the table to the real calls and uses it as the opener.
add_library(nandbridge_ezusb_backend STATIC ${CMAKE_CURRENT_LIST_DIR}/ezusb_device.cpp)
target_include_directories(nandbridge_ezusb_backend PUBLIC ${CMAKE_SOURCE_DIR})
if(WIN32)
  target_sources(nandbridge_drivers PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ezusb_opener_win32.cpp)
  target_link_libraries(nandbridge_drivers PUBLIC nandbridge_ezusb_backend)
  target_compile_definitions(nandbridge_drivers PUBLIC NANDBRIDGE_HAVE_EZUSB)
endif()
