# The application is built as a self-contained bundle folder:
#   Velloq Parlor.app/Contents/{Info.plist, MacOS/, Resources/, Library/LoginItems/Velloq Parlor helper.app/}
set(VELLOQ_BUNDLE_DIR "${PROJECT_BINARY_DIR}/${VELLOQ_APP_NAME}.app")
set(VELLOQ_HELPER_BUNDLE_DIR
    "${VELLOQ_BUNDLE_DIR}/Contents/Library/LoginItems/${VELLOQ_HELPER_NAME}.app")

set(VELLOQ_RESOURCES_DIR "${PROJECT_SOURCE_DIR}/resources")

# Property-list strings are XML text: the values come from cache variables and may hold
# characters that would break the document.
function(_velloq_xml_escape out value)
  string(REPLACE "&" "&amp;" value "${value}")
  string(REPLACE "<" "&lt;" value "${value}")
  string(REPLACE ">" "&gt;" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# velloq_info_plist(<template> <output> IDENTIFIER <id> EXECUTABLE <name> NAME <name>)
# Renders an Info.plist template; the template refers to @VELLOQ_BUNDLE_IDENTIFIER@,
# @VELLOQ_BUNDLE_EXECUTABLE@, @VELLOQ_BUNDLE_NAME@, @VELLOQ_BUNDLE_VERSION@ (the build number)
# and @VELLOQ_BUNDLE_SHORT_VERSION@.
function(velloq_info_plist template output)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "IDENTIFIER;EXECUTABLE;NAME" "")
  foreach(required IN ITEMS IDENTIFIER EXECUTABLE NAME)
    if(NOT DEFINED arg_${required} OR arg_${required} STREQUAL "")
      message(FATAL_ERROR "velloq_info_plist: ${required} is required")
    endif()
  endforeach()
  _velloq_xml_escape(VELLOQ_BUNDLE_IDENTIFIER "${arg_IDENTIFIER}")
  _velloq_xml_escape(VELLOQ_BUNDLE_EXECUTABLE "${arg_EXECUTABLE}")
  _velloq_xml_escape(VELLOQ_BUNDLE_NAME "${arg_NAME}")
  _velloq_xml_escape(VELLOQ_BUNDLE_VERSION "${VELLOQ_BUILD_NUMBER}")
  _velloq_xml_escape(VELLOQ_BUNDLE_SHORT_VERSION "${VELLOQ_VERSION}")
  configure_file("${template}" "${output}" @ONLY)
endfunction()

# velloq_bundle_resources(<target> <bundle_dir>)
# Fills <bundle_dir>/Contents/Resources before <target> builds: the string tables
# (resources/*.lproj/), every resources/images/*.svg rendered to <name>.png and <name>@2x.png, the ready-made
# resources/images/*.png, everything in resources/sounds/ and the style sheets
# resources/styles/*.css. Files are globbed at configure time (re-globbed when the folders
# change) and copied again whenever they change. Several targets may share one bundle folder;
# its rules are made once.
function(velloq_bundle_resources target bundle_dir)
  string(MD5 bundle_key "${bundle_dir}")
  string(SUBSTRING "${bundle_key}" 0 12 bundle_key)
  set(resources_target "velloq_bundle_resources_${bundle_key}")
  if(NOT TARGET ${resources_target})
    _velloq_add_resources_target(${resources_target} "${bundle_dir}/Contents/Resources")
  endif()
  add_dependencies(${target} ${resources_target})
endfunction()

function(_velloq_add_resources_target name destination)
  set(outputs "")

  file(GLOB_RECURSE tables CONFIGURE_DEPENDS RELATIVE "${VELLOQ_RESOURCES_DIR}"
       "${VELLOQ_RESOURCES_DIR}/*.lproj/*")
  file(GLOB plain_images CONFIGURE_DEPENDS RELATIVE "${VELLOQ_RESOURCES_DIR}"
       "${VELLOQ_RESOURCES_DIR}/images/*.png")
  file(GLOB sounds CONFIGURE_DEPENDS RELATIVE "${VELLOQ_RESOURCES_DIR}"
       "${VELLOQ_RESOURCES_DIR}/sounds/*")
  file(GLOB styles CONFIGURE_DEPENDS RELATIVE "${VELLOQ_RESOURCES_DIR}"
       "${VELLOQ_RESOURCES_DIR}/styles/*.css")
  foreach(relative IN LISTS tables plain_images sounds styles)
    if(relative MATCHES "^(images|sounds|styles)/(.*)$")
      set(target_relative "${CMAKE_MATCH_2}")
    else()
      set(target_relative "${relative}")
    endif()
    set(output "${destination}/${target_relative}")
    get_filename_component(output_dir "${output}" DIRECTORY)
    add_custom_command(OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${output_dir}"
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${VELLOQ_RESOURCES_DIR}/${relative}" "${output}"
      DEPENDS "${VELLOQ_RESOURCES_DIR}/${relative}"
      COMMENT "Bundle resource ${target_relative}"
      VERBATIM)
    list(APPEND outputs "${output}")
  endforeach()

  file(GLOB vector_images CONFIGURE_DEPENDS "${VELLOQ_RESOURCES_DIR}/images/*.svg")
  if(vector_images)
    find_program(VELLOQ_RSVG_CONVERT rsvg-convert REQUIRED)
  endif()
  foreach(svg IN LISTS vector_images)
    get_filename_component(stem "${svg}" NAME_WE)
    set(output "${destination}/${stem}.png")
    add_custom_command(OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${destination}"
      COMMAND "${VELLOQ_RSVG_CONVERT}" --format=png --output "${output}" "${svg}"
      DEPENDS "${svg}"
      COMMENT "Rendering ${stem}.png"
      VERBATIM)
    # Twice the size for displays scaled 2: GTK would otherwise blow the 1x image up, blurred.
    set(output2x "${destination}/${stem}@2x.png")
    add_custom_command(OUTPUT "${output2x}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${destination}"
      COMMAND "${VELLOQ_RSVG_CONVERT}" --format=png --zoom=2 --output "${output2x}" "${svg}"
      DEPENDS "${svg}"
      COMMENT "Rendering ${stem}@2x.png"
      VERBATIM)
    list(APPEND outputs "${output}" "${output2x}")
  endforeach()

  add_custom_target(${name} DEPENDS ${outputs})
endfunction()
