# pugixml 1.13 on both builds: Debian's library natively, and for Windows the
# same release compiled from Debian's source package (fetched by
# scripts/fetch-pugixml.sh into the build tree, never committed).
# Elsewhere (Windows with vcpkg, say) CMake finds an installed pugixml, unless a
# source tree is given.
if(VELNOR_PUGIXML_SOURCE OR (WIN32 AND CMAKE_CROSSCOMPILING))
  if(NOT EXISTS "${VELNOR_PUGIXML_SOURCE}/src/pugixml.cpp")
    message(FATAL_ERROR "pugixml source not found in '${VELNOR_PUGIXML_SOURCE}': run scripts/fetch-pugixml.sh")
  endif()
  add_library(pugixml STATIC "${VELNOR_PUGIXML_SOURCE}/src/pugixml.cpp")
  target_include_directories(pugixml SYSTEM PUBLIC "${VELNOR_PUGIXML_SOURCE}/src")
  # The store never queries with XPath nor reads streams; leaving both out keeps
  # the executable small (the stream support alone pulls in the C++ locales).
  target_compile_definitions(pugixml PUBLIC PUGIXML_NO_XPATH PUGIXML_NO_STL)
  # Without the STL interface a few of its helpers go unused: not our code to
  # tidy, and a newcomer's first build should not read as warnings.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(pugixml PRIVATE -Wno-unused-function)
  endif()
  add_library(pugixml::pugixml ALIAS pugixml)
else()
  find_package(pugixml 1.13 REQUIRED)
endif()
