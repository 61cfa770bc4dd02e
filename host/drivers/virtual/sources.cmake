# The in-process simulated bridge (NANDBRIDGE_SIM names the flash image). Its logic is a
# library of its own so that the tests can use it without the rest of the drivers.
add_library(nandbridge_virtual_backend STATIC
  ${CMAKE_CURRENT_LIST_DIR}/simulated_bridge_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual_opener.cpp)
target_include_directories(nandbridge_virtual_backend PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(nandbridge_virtual_backend PUBLIC nandbridge_reference nandbridge_nand nandbridge_platform)
if(TARGET nandbridge_fx2)
  target_link_libraries(nandbridge_virtual_backend PUBLIC nandbridge_fx2)
  target_compile_definitions(nandbridge_virtual_backend PRIVATE NANDBRIDGE_HAVE_CHIP)
endif()
target_link_libraries(nandbridge_drivers PUBLIC nandbridge_virtual_backend)
target_compile_definitions(nandbridge_drivers PUBLIC NANDBRIDGE_HAVE_VIRTUAL)
