# Every outside library, found once, as imported targets.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(CURL REQUIRED)
find_package(OpenSSL 3 REQUIRED)

pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0 gio-2.0 gio-unix-2.0)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)
pkg_check_modules(SOUP REQUIRED IMPORTED_TARGET libsoup-3.0)

if(VELLOQ_BUILD_UI)
  pkg_check_modules(GTKMM REQUIRED IMPORTED_TARGET gtkmm-3.0)
  pkg_check_modules(WEBKIT REQUIRED IMPORTED_TARGET webkit2gtk-4.1)
  pkg_check_modules(GSTREAMER REQUIRED IMPORTED_TARGET gstreamer-1.0)
  find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
endif()

if(VELLOQ_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
