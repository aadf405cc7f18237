# Makes the Windows installer from a Windows build's install tree:
#   cmake -D BUILD=dir -D VERSION=x.y.z -D DESCRIPTION=text -D VENDOR=name
#         -D EPOCH=seconds -D MSI=file -P msi.cmake
#
# wixl writes the clock's time and the files' times into the MSI and gives
# it a random package code.  So it runs at EPOCH (faketime, the clock
# standing still) on files dated EPOCH, and the package code is set after,
# derived from the version and the files packed, as is the product code from
# the version alone: a new version is a new product that replaces the old.
#
# wixl knows no Environment element, so msibuild adds the table that puts
# the bin folder on the system PATH, and the actions that write it on
# install and take it out on removal.

set(packaging ${CMAKE_CURRENT_LIST_DIR}/../packaging)
set(stage ${BUILD}/msi)
# Any fixed namespace will do for the name-based codes; this is RFC 4122's.
set(namespace 6ba7b810-9dad-11d1-80b4-00c04fd430c8)

function(run)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${ARGN}
    WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(REMOVE_RECURSE ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${stage}
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE files ${stage}/*)
set(content "${VERSION} ${VENDOR}")
foreach(file IN LISTS files ITEMS ${BUILD}/person-card.ico ${packaging}/person-card.wxs ${packaging}/Environment.idt)
  file(SHA256 ${file} sum)
  string(APPEND content " ${sum}")
endforeach()
string(UUID product NAMESPACE ${namespace} NAME "person-card ${VERSION}" TYPE SHA1 UPPER)
string(UUID package NAMESPACE ${namespace} NAME "${content}" TYPE SHA1 UPPER)

# The icon goes into the installer's Icon table, not among the files.
file(COPY_FILE ${BUILD}/person-card.ico ${stage}/person-card.ico)
run(touch -d @${EPOCH} ${files})
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
string(TIMESTAMP now "%Y-%m-%d %H:%M:%S" UTC)
set(faketime faketime -f ${now})
run(${faketime} wixl -a x64 -D Version=${VERSION} -D ProductCode=${product}
  -D Description=${DESCRIPTION} -D Manufacturer=${VENDOR}
  -o ${MSI} ${packaging}/person-card.wxs)
run(${faketime} msibuild ${MSI} -i ${packaging}/Environment.idt
  -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('RemoveEnvironmentStrings', 3300)"
  -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('WriteEnvironmentStrings', 5200)")
# Not through run(), which would split the template "x64;1033" in two.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${faketime} msibuild ${MSI}
  -s "person-card ${VERSION} installer" "${VENDOR}" "x64;1033" "{${package}}"
  COMMAND_ERROR_IS_FATAL ANY)
