# Makes the whole release into dist/:  cmake -P cmake/release.cmake
#
# Every target of packaging/targets is built with Debian's hardening flags
# for its architecture: with the system's shared glibc for the .deb and the
# .rpm, where the row names them, and fully static, with the row's C
# library, for the tarball.  Each program is tested in full, under the
# row's emulator and CPU, before it is packed.  Then the Windows workflow
# makes the zip and the msi target the installer, and the web workflow the
# web page's zip (its program tested under node).  git archive makes the
# source tarball; in a tree unpacked from one, with no git, the tarball
# beside the tree is taken instead, once it is checked to hold this tree.
# Each build records what its program holds and of which Debian packages
# (cmake/contents.cmake); build/contents/FILE is that record for each file
# of dist/ that holds a program.  Last come the build's environment
# (person-card-VERSION.buildinfo), the software bill of materials
# (person-card-VERSION.cdx.json) and SHA256SUMS, which lists them all.

cmake_minimum_required(VERSION 3.25)
get_filename_component(top ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(STRINGS ${top}/CMakeLists.txt version REGEX "^project\\(person-card VERSION ")
string(REGEX REPLACE ".* VERSION ([^ ]+).*" "\\1" version "${version}")
file(REMOVE_RECURSE ${top}/dist ${top}/build/contents)
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

# A static program links musl through the compiler driver's settings of
# its own (gcc -specs=FILE), made from packaging/musl-gcc.in for the row:
# Debian's musl-dev for its architecture, or where Debian has none, the
# musl of the same version built here from Debian's source package with the
# row's cross compiler.
execute_process(COMMAND dpkg-query -W -f=\${source:Version}\n musl-dev
  OUTPUT_VARIABLE musl_version COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n.*" "" musl_version "${musl_version}")
function(musl name debian triplet)
  # Debian's musl lives beside glibc, its multiarch name musl for gnu.
  execute_process(COMMAND dpkg-architecture -a ${debian} -qDEB_HOST_MULTIARCH
    OUTPUT_VARIABLE multiarch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "-gnu" "-musl" multiarch ${multiarch})
  set(lib /usr/lib/${multiarch})
  set(include /usr/include/${multiarch})
  if(NOT EXISTS ${lib}/libc.a)
    set(built ${top}/build/musl-${musl_version}-${name})
    set(lib ${built}/lib)
    set(include ${built}/include)
    if(NOT EXISTS ${built}/SOURCE)
      set(fetched ${top}/build/musl-source)
      if(NOT EXISTS ${fetched}/musl_${musl_version}.dsc)
        file(MAKE_DIRECTORY ${fetched})
        execute_process(COMMAND apt-get source --download-only musl=${musl_version}
          WORKING_DIRECTORY ${fetched} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
      endif()
      file(REMOVE_RECURSE ${built})
      file(MAKE_DIRECTORY ${built})
      run(dpkg-source --no-check -x ${fetched}/musl_${musl_version}.dsc ${built}/src)
      foreach(step "./configure;--target=${triplet};CROSS_COMPILE=${triplet}-;--disable-shared;--prefix=${built}"
          "make;-j2;install")
        execute_process(COMMAND ${step} WORKING_DIRECTORY ${built}/src OUTPUT_QUIET
          COMMAND_ERROR_IS_FATAL ANY)
      endforeach()
      file(COPY_FILE ${built}/src/debian/copyright ${built}/copyright)
      file(WRITE ${built}/SOURCE "musl ${musl_version}\n")
    endif()
  endif()
  configure_file(${top}/packaging/musl-gcc.in ${top}/build/${name}-musl-gcc @ONLY)
  set(musl_gcc ${top}/build/${name}-musl-gcc PARENT_SCOPE)
  set(musl_lib ${lib}/libc.a PARENT_SCOPE)
endfunction()

file(STRINGS ${top}/packaging/targets targets REGEX "^[^#]")
foreach(target IN LISTS targets)
  string(REGEX MATCHALL "[^ ]+" target "${target}")
  list(POP_FRONT target name debian triplet emulator cpu static libc)
  if(NOT libc STREQUAL musl)
    message(FATAL_ERROR "packaging/targets: ${name} links ${libc}, which the release cannot link")
  endif()
  musl(${name} ${debian} ${triplet})
  # The tools that the buildinfo traces to their packages, and the C
  # libraries, where a package holds them.
  list(APPEND tools ${triplet}-g++ ${triplet}-gcc ${emulator})
  if(musl_lib MATCHES "^/usr/")
    list(APPEND tools ${musl_lib})
  endif()
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
  # First with the shared glibc for the packages, if any, then fully
  # static, with musl, for the tarball alone.  The program needs nothing of
  # libstdc++, so the static one is linked by the C compiler's driver.
  set(generators ${packages})
  set(link "")
  set(compiler ${triplet}-g++)
  set(libc_flags "")
  foreach(kind shared static)
    if(generators)
      set(build build/${name}-${kind})
      run(${CMAKE_COMMAND} -S . -B ${build} --fresh
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
        -DRECORD_CONTENTS=ON
        -DCMAKE_SYSTEM_NAME=Linux
        -DCMAKE_SYSTEM_PROCESSOR=${name}
        -DCMAKE_CXX_COMPILER=${compiler}
        "-DCMAKE_CROSSCOMPILING_EMULATOR=${emulator}"
        "-DCMAKE_CXX_FLAGS=${CPPFLAGS} ${CXXFLAGS}${libc_flags}"
        "-DCMAKE_EXE_LINKER_FLAGS=${LDFLAGS}"
        -DCPACK_DEBIAN_PACKAGE_ARCHITECTURE=${debian}
        -DCPACK_RPM_PACKAGE_ARCHITECTURE=${name}
        -DLINK_STATIC=${link})
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
    set(compiler ${triplet}-gcc)
    set(libc_flags " -specs=${musl_gcc}")
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

set(tarball person-card-${version}.tar.gz)
if(EXISTS ${top}/.git)
  run(git archive --format=tar --prefix=person-card-${version}/ HEAD
    COMMAND gzip -9n OUTPUT_FILE dist/${tarball})
elseif(EXISTS ${top}/../${tarball})
  # Each file of it as this tree has it (tar tells only which differ).
  execute_process(COMMAND tar --compare --strip-components=1 -C ${top} -zf ${top}/../${tarball}
    OUTPUT_VARIABLE differ ERROR_VARIABLE differ)
  string(REGEX MATCHALL "[^\n]*(Contents|Size|Symlink|No such|Not a)[^\n]*" differ "${differ}")
  # The tarball's top directory itself, which has no name once stripped.
  list(FILTER differ EXCLUDE REGEX "^tar: : ")
  if(differ)
    message(FATAL_ERROR "This tree is not what ../${tarball} holds:\n${differ}")
  endif()
  file(COPY_FILE ${top}/../${tarball} ${top}/dist/${tarball})
else()
  message(WARNING "No git and no ../${tarball}: the release is made without its source tarball")
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
