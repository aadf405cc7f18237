# Makes the whole release into dist/:  cmake -P cmake/release.cmake
#
# Every target of packaging/targets is built with Debian's hardening flags
# for its architecture: with the shared C library for the .deb and the .rpm,
# where the row names them, and fully static for the tarball.  Each program
# is tested in full, under the row's emulator and CPU, before it is packed.
# Then the Windows workflow makes the zip and the msi target the installer,
# and the web workflow the web page's zip (its program tested under node);
# git archive makes the source tarball (not from a source tarball, which has
# no git).  Each build records what its program holds and of which Debian
# packages (cmake/contents.cmake); build/contents/FILE is that record for
# each file of dist/ that holds a program, and the glibc linked statically
# is fetched as Debian's source package into dist/ too.  Last come the
# build's environment (person-card-VERSION.buildinfo), the software bill of
# materials (person-card-VERSION.cdx.json) and SHA256SUMS, which lists them
# all.

cmake_minimum_required(VERSION 3.25)
get_filename_component(top ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(STRINGS ${top}/CMakeLists.txt version REGEX "^project\\(person-card VERSION ")
string(REGEX REPLACE ".* VERSION ([^ ]+).*" "\\1" version "${version}")
file(REMOVE_RECURSE ${top}/dist ${top}/build/contents ${top}/build/sources)
file(MAKE_DIRECTORY ${top}/dist ${top}/build/contents)

# Files that have come into dist/ hold the program of the build dir $1.
function(packed build)
  file(GLOB files RELATIVE ${top}/dist ${top}/dist/*)
  foreach(file IN LISTS files)
    if(NOT EXISTS ${top}/build/contents/${file})
      file(COPY_FILE ${top}/${build}/person-card.contents ${top}/build/contents/${file})
    endif()
  endforeach()
endfunction()

file(STRINGS ${top}/packaging/targets targets REGEX "^[^#]")
foreach(target IN LISTS targets)
  string(REGEX MATCHALL "[^ ]+" target "${target}")
  list(POP_FRONT target name debian triplet emulator cpu static)
  # The tools that the buildinfo traces to their packages.
  list(APPEND tools ${triplet}-g++ ${emulator})
  # The rest of the row: the packages made with the shared C library.
  string(TOUPPER "${target}" packages)
  foreach(flags CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_HOST_ARCH=${debian}
        DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get ${flags}
      OUTPUT_VARIABLE ${flags} OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  if(NOT cpu STREQUAL "-")
    # A list, escaped to stay one argument on its way through run().
    string(APPEND emulator "\\;-cpu\\;${cpu}")
  endif()
  # First with the shared C library for the packages, if any, then fully
  # static, for the tarball alone.
  set(generators ${packages})
  set(link "")
  foreach(kind shared static)
    if(generators)
      set(build build/${name}-${kind})
      run(${CMAKE_COMMAND} -S . -B ${build} --fresh
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_SYSTEM_NAME=Linux
        -DCMAKE_SYSTEM_PROCESSOR=${name}
        -DCMAKE_CXX_COMPILER=${triplet}-g++
        "-DCMAKE_CROSSCOMPILING_EMULATOR=${emulator}"
        "-DCMAKE_CXX_FLAGS=${CPPFLAGS} ${CXXFLAGS}"
        "-DCMAKE_EXE_LINKER_FLAGS=${LDFLAGS}"
        -DCPACK_DEBIAN_PACKAGE_ARCHITECTURE=${debian}
        -DCPACK_RPM_PACKAGE_ARCHITECTURE=${name}
        -DLINK_STATIC=${link}
        -DSOURCES=${top}/build/sources)
      run(${CMAKE_COMMAND} --build ${build})
      run(${CMAKE_CTEST_COMMAND} --test-dir ${build} -j 2 --output-on-failure)
      foreach(generator IN LISTS generators)
        run(${CMAKE_CPACK_COMMAND} --config ${build}/CPackConfig.cmake -B ${build}/cpack
          -G ${generator})
      endforeach()
      packed(${build})
    endif()
    set(generators TGZ)
    set(link ${static})
  endforeach()
endforeach()

run(${CMAKE_COMMAND} --workflow --preset windows)
run(${CMAKE_COMMAND} --build build/windows --target msi)
packed(build/windows)
run(${CMAKE_COMMAND} --workflow --preset web)
packed(build/web)
# The time stamp of every file, as the builds have it.
include(${top}/build/web/cpack-env.cmake)
set(epoch $ENV{SOURCE_DATE_EPOCH})
file(GLOB sources ${top}/build/sources/*)
file(COPY ${sources} DESTINATION ${top}/dist)

if(EXISTS ${top}/.git)
  run(git archive --format=tar --prefix=person-card-${version}/ HEAD
    COMMAND gzip -9n OUTPUT_FILE dist/person-card-${version}.tar.gz)
endif()

list(REMOVE_DUPLICATES tools)
run(node cmake/buildinfo.mjs person-card ${version} ${epoch} ${tools}
  x86_64-w64-mingw32-g++-posix emcc wixl msibuild faketime cmake cpack
  dpkg-buildflags dpkg-deb rpmbuild gzip zip tar node wine
  OUTPUT_FILE dist/person-card-${version}.buildinfo)
run(node cmake/sbom.mjs ${version} ${epoch}
  OUTPUT_FILE dist/person-card-${version}.cdx.json)

file(GLOB files RELATIVE ${top}/dist ${top}/dist/*)
list(SORT files)
set(sums)
foreach(file IN LISTS files)
  file(SHA256 ${top}/dist/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${top}/dist/SHA256SUMS "${sums}")
message(STATUS "Made in dist/:\n${sums}")
