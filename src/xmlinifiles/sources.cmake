# The XML settings store and the locale seam it relies on.
target_sources(velnor_core PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/orvo/locale_settings.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/orvo/locale_datetime.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/date_value_text.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/location_path.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/value_text.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/xml_document.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/xml_encoding.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/xml_ini_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/xml_ini_values.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/xml_names.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/xmlinifiles/xml_node.cpp
)
if(WIN32)
  target_sources(velnor_core PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/orvo/locale_settings_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/orvo/locale_convert_win32.cpp
  )
  # VarDateFromStr and VarI4FromStr.
  target_link_libraries(velnor_core PUBLIC oleaut32)
else()
  target_sources(velnor_core PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/orvo/locale_settings_posix.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/orvo/locale_convert_posix.cpp
  )
endif()

# The libFuzzer targets learn from coverage inside the store, not only in the
# harness.
if(VELNOR_FUZZ)
  target_compile_options(velnor_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
