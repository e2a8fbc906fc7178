# The window placement guard: arithmetic in core, the Win32 calls beside the
# other platform code.
target_sources(velnor_core PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/orvo/placement.cpp)
if(WIN32)
  target_sources(velnor_win PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/orvo/placement_win32.cpp)
endif()
