# The game in a real browser (tests/web/browser_test.js): Debian's Chromium,
# headless with SwiftShader's WebGL 2, plays the page served from this build
# on 127.0.0.1, and renders the README's scenes, which it compares with the
# native capture tool's pictures of the same scenes. Included by
# cmake/web.cmake; make test-web runs it after make web-test-deps (Chromium
# and puppeteer-core) and make build (the native tree).
#
#   THORNWICK_BROWSER_TESTS  register the browser test (ON)
#   THORNWICK_NATIVE_BUILD   the native build tree whose thornwick-capture
#                            makes the pictures to compare with

option(THORNWICK_BROWSER_TESTS "Register the test that plays the browser build in Chromium" ON)
if(NOT THORNWICK_BROWSER_TESTS)
  return()
endif()

if(NOT THORNWICK_NODE)
  message(WARNING "No node: the browser test is left out (make web-test-deps installs it).")
  return()
endif()

# One test, run alone: the browser and the native captures beside it take
# both cores of a small machine. The pictures end up in browser-test/.
add_test(NAME web_browser
  COMMAND ${THORNWICK_NODE} ${PROJECT_SOURCE_DIR}/tests/web/browser_test.js
    --build ${CMAKE_BINARY_DIR} --native ${THORNWICK_NATIVE_BUILD} --out ${CMAKE_BINARY_DIR}/browser-test)
set_tests_properties(web_browser PROPERTIES RUN_SERIAL ON TIMEOUT 1800 LABELS browser)
