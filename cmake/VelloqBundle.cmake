# The application is built as a self-contained bundle folder:
#   Velloq Parlor.app/Contents/{Info.plist, MacOS/, Resources/, Library/LoginItems/Velloq Parlor helper.app/}
set(VELLOQ_BUNDLE_DIR "${CMAKE_BINARY_DIR}/${VELLOQ_APP_NAME}.app")
set(VELLOQ_HELPER_BUNDLE_DIR
    "${VELLOQ_BUNDLE_DIR}/Contents/Library/LoginItems/${VELLOQ_HELPER_NAME}.app")
