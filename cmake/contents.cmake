# Run after each link: cmake -D MAP=file -D PROGRAM=file -D OBJDUMP=objdump
#                      -P contents.cmake
#
# MAP is what the linker says it took: GNU ld's map, or wasm-ld's --trace.
# Every object file it took, alone or as a member of an archive, is inside
# the program; a shared library is outside, used as the program names it
# (NEEDED).  Each is traced to its Debian package, or, under a directory
# holding a file SOURCE ("musl 1.2.3-1"), to the Debian source package that
# the release built it from (that directory's copyright is its notice), and
# written beside MAP:
#
#   person-card.contents  one line a file:  static|dynamic PACKAGE VERSION
#                         SOURCE SOURCE-VERSION FILE, SOURCE being the
#                         source package that the code was built from (for
#                         a cross library, as its Built-Using says; for
#                         one that the release built, PACKAGE and VERSION
#                         are -)
#   THIRD-PARTY-NOTICES   what the program holds of whom, each package's
#                         copyright file, the licences it points to in
#                         /usr/share/common-licenses and the licence files
#                         it ships

cmake_minimum_required(VERSION 3.25)
get_filename_component(dir ${MAP} DIRECTORY)
file(STRINGS ${MAP} lines)
set(files)
foreach(line IN LISTS lines)
  set(file "")
  if(line MATCHES "^(/[^ ()]+\\.a)\\(")
    set(file ${CMAKE_MATCH_1})
  elseif(line MATCHES "^(LOAD )?(/[^ ]+\\.o)$")
    set(file ${CMAKE_MATCH_2})
  elseif(line MATCHES "^(LOAD )?(/[^ ]+\\.so[.0-9]*)$")
    cmake_path(NORMAL_PATH CMAKE_MATCH_2 OUTPUT_VARIABLE file)
    list(APPEND shared ${file})
    continue()
  endif()
  if(file)
    cmake_path(NORMAL_PATH file)
    list(APPEND files "static ${file}")
  endif()
endforeach()
set(dump "")
if(OBJDUMP)
  execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump)
endif()
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${dump}")
list(TRANSFORM needed REPLACE "NEEDED +" "")
foreach(file IN LISTS shared)
  get_filename_component(name ${file} NAME)
  if(name IN_LIST needed)
    list(APPEND files "dynamic ${file}")
  endif()
endforeach()
list(REMOVE_DUPLICATES files)
list(SORT files)

# Which package owns each file: dpkg knows /lib and /usr/lib apart.
set(paths)
foreach(entry IN LISTS files)
  string(REGEX REPLACE "^[a-z]+ " "" file "${entry}")
  string(REGEX REPLACE "^/usr/" "/" other "${file}")
  list(APPEND paths ${other} /usr${other})
endforeach()
execute_process(COMMAND dpkg -S ${paths} OUTPUT_VARIABLE owners ERROR_QUIET)
string(REGEX MATCHALL "[^\n]+" owners "${owners}")
foreach(owner IN LISTS owners)
  string(FIND "${owner}" ": " at)
  string(SUBSTRING "${owner}" 0 ${at} package)
  math(EXPR at "${at} + 2")
  string(SUBSTRING "${owner}" ${at} -1 file)
  string(REGEX REPLACE ",.*" "" "owner${file}" "${package}")
endforeach()

set(record "")
set(packages)
foreach(entry IN LISTS files)
  string(REGEX REPLACE " .*" "" link "${entry}")
  string(REGEX REPLACE "^[a-z]+ " "" file "${entry}")
  string(REGEX REPLACE "^/usr/" "/" other "${file}")
  set(package "${owner${other}}${owner/usr${other}}")
  if(NOT package)
    # Built by the release from a source package.
    set(built ${file})
    while(NOT EXISTS ${built}/SOURCE AND NOT built STREQUAL "/")
      get_filename_component(built ${built} DIRECTORY)
    endwhile()
    if(NOT EXISTS ${built}/SOURCE)
      message(FATAL_ERROR "No Debian package owns ${file}")
    endif()
    file(STRINGS ${built}/SOURCE source LIMIT_COUNT 1)
    string(APPEND record "${link} - - ${source} ${file}\n")
    list(APPEND packages "${link} - - ${source}")
    string(REPLACE " " "_" source "${source}")
    set(copyright_${source} ${built}/copyright)
    continue()
  endif()
  execute_process(COMMAND dpkg-query -W
    "-f=\${Version}\\t\${source:Package}\\t\${source:Version}\\t\${Built-Using}" ${package}
    OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "\t" ";" fields "${fields}")
  list(POP_FRONT fields version source source_version built_using)
  # A cross library is built from the source of its native namesake.
  if(built_using AND package MATCHES "^(.*)-[a-z0-9]+-cross$")
    execute_process(COMMAND dpkg-query -W "-f=\${source:Package}\\n" ${CMAKE_MATCH_1}
      OUTPUT_VARIABLE native ERROR_QUIET)
    string(REGEX REPLACE "\n.*" "" native "${native}")
    if(native AND built_using MATCHES "(^|, )${native} \\(= ([^)]+)\\)")
      set(source ${native})
      set(source_version ${CMAKE_MATCH_2})
    endif()
  endif()
  string(APPEND record "${link} ${package} ${version} ${source} ${source_version} ${file}\n")
  list(APPEND packages "${link} ${package} ${version} ${source} ${source_version}")
endforeach()
file(WRITE ${dir}/person-card.contents "${record}")

# The notices: first a list of what is inside, then the texts, in the
# packages' order, whatever the files' paths.
list(REMOVE_DUPLICATES packages)
list(SORT packages)
set(inside "")
set(outside "")
set(texts)
string(REGEX MATCHALL "[^\n]+" lines "${record}")
foreach(entry IN LISTS packages)
  set(names)
  foreach(line IN LISTS lines)
    string(FIND "${line}" "${entry} " at)
    if(at EQUAL 0)
      get_filename_component(name "${line}" NAME)
      list(APPEND names ${name})
    endif()
  endforeach()
  string(REPLACE " " ";" entry "${entry}")
  list(POP_FRONT entry link package version source source_version)
  list(JOIN names ", " files)
  set(line "- ${source} ${source_version}, from the package ${package} ${version}: ${files}\n")
  if(link STREQUAL dynamic)
    string(APPEND outside "${line}")
    continue()
  elseif(package STREQUAL "-")
    string(APPEND inside "- ${source} ${source_version}, built by the release from that source package: ${files}\n")
    set(text ${copyright_${source}_${source_version}})
    set("title${text}" "${source} ${source_version}: debian/copyright")
    list(APPEND texts ${text})
    continue()
  endif()
  string(APPEND inside "${line}")
  string(REGEX REPLACE ":.*" "" name ${package})
  list(APPEND texts /usr/share/doc/${name}/copyright)
  file(READ /usr/share/doc/${name}/copyright copyright)
  string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9]" common "${copyright}")
  list(APPEND texts ${common})
  execute_process(COMMAND dpkg -L ${package} OUTPUT_VARIABLE owned)
  string(REGEX MATCHALL "[^\n]*/(COPYRIGHT|LICENSE|COPYING)[^/\n]*" owned "${owned}")
  list(APPEND texts ${owned})
endforeach()
# A licence named twice (GPL is GPL-3) is given once.
set(unique)
foreach(text IN LISTS texts)
  file(REAL_PATH ${text} real)
  if(NOT real IN_LIST unique)
    list(APPEND unique ${real})
    list(APPEND kept ${text})
  endif()
endforeach()
set(texts ${kept})

set(notices "\
person-card is under the MIT licence (LICENSE). Its program also holds code
of others, linked into it statically, from these Debian packages (the
source package and its version, then the binary package and the files):

${inside}")
if(outside)
  string(APPEND notices "
It uses, linked dynamically from the system it runs on, and does not hold:

${outside}")
endif()
string(APPEND notices "
Their notices and licences follow, as the packages hold them.
")
foreach(text IN LISTS texts)
  file(READ ${text} body)
  if(NOT DEFINED "title${text}")
    set("title${text}" ${text})
  endif()
  string(APPEND notices "\n\n==== ${title${text}} ====\n\n${body}")
endforeach()
file(WRITE ${dir}/THIRD-PARTY-NOTICES "${notices}")
