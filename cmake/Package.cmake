# The release zip. `cmake --build --preset windows --target package` writes
# Veltrane-<major>.<minor>-win64.zip into the build folder: both programs,
# stripped (CPack strips what it installs), the README with its picture, the
# LICENSE, and SHA256SUMS.txt, the SHA-256 of each program as shipped.
# CPack's ZIP generator uses cmake's own archiver: no zip program needed.
#
# CMake's own package target builds `all` first, every test and benchmark
# with it. Ours builds the two programs and packs them: CPack's settings go
# to a file of another name, so that CMake makes no target of its own.
install(TARGETS veltrane veltrane-cli RUNTIME DESTINATION .)
install(FILES README.md LICENSE DESTINATION .)
install(FILES docs/main-window.png DESTINATION docs)
# Runs after the programs are installed and stripped: the sums are of the
# files in the zip, in the form `sha256sum -c` reads.
install(CODE [[
  set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(sums "")
  foreach(program veltrane.exe veltrane-cli.exe)
    file(SHA256 "${folder}/${program}" hash)
    string(APPEND sums "${hash}  ${program}\n")
  endforeach()
  file(WRITE "${folder}/SHA256SUMS.txt" "${sums}")
]])

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Veltrane)
set(CPACK_PACKAGE_VENDOR "The Veltrane developers")
# The tests of the zip find it by this name (CPack reuses its own variable).
set(VELTRANE_PACKAGE_NAME "Veltrane-${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}-win64")
set(CPACK_PACKAGE_FILE_NAME ${VELTRANE_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackZipConfig.cmake)
# A build folder configured before keeps the file of the default name, which
# would reserve the name again.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
include(CPack)
add_custom_target(package
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CPACK_OUTPUT_CONFIG_FILE}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing ${VELTRANE_PACKAGE_NAME}.zip"
  USES_TERMINAL)
add_dependencies(package veltrane veltrane-cli)
