# The libusb-1.0 backend for Linux and macOS. Its logic is a library of its own that does not
# link libusb itself, so that the tests can link a recording stand-in in its place; the tool
# gets the real libusb through nandbridge_drivers. Skipped cleanly when libusb is missing.
if(NOT WIN32)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(LIBUSB QUIET IMPORTED_TARGET libusb-1.0)
  endif()
  if(LIBUSB_FOUND)
    add_library(nandbridge_libusb_backend STATIC
      ${CMAKE_CURRENT_LIST_DIR}/libusb_device.cpp
      ${CMAKE_CURRENT_LIST_DIR}/libusb_opener.cpp)
    target_include_directories(nandbridge_libusb_backend PUBLIC ${CMAKE_SOURCE_DIR} ${LIBUSB_INCLUDE_DIRS})
    target_link_libraries(nandbridge_drivers PUBLIC nandbridge_libusb_backend PkgConfig::LIBUSB)
    target_compile_definitions(nandbridge_drivers PUBLIC NANDBRIDGE_HAVE_LIBUSB)
  else()
    message(STATUS "libusb-1.0 not found: building without the libusb backend")
  endif()
endif()
