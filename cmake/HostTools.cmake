# Programs that the Windows builds run while they build (the image writers)
# are built for the machine that builds, in a host build of their own inside
# this build tree: no build step starts Wine, and a machine that cannot run
# the Windows programs builds them all the same.
include(ExternalProject)
set(ORV_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(ORV_HOST_MKIMAGE ${ORV_HOST_TOOLS_DIR}/tools/mkimage/orv-mkimage)
set(ORV_HOST_LAUNCHER_TEST_IMAGE ${ORV_HOST_TOOLS_DIR}/tests/launcher/make_launcher_test_image)
ExternalProject_Add(orv_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${ORV_HOST_TOOLS_DIR}
  CMAKE_ARGS -DORV_HOST_TOOLS_ONLY=ON -DORV_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${ORV_HOST_TOOLS_DIR} --target orv-mkimage make_launcher_test_image
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${ORV_HOST_MKIMAGE} ${ORV_HOST_LAUNCHER_TEST_IMAGE})
