# Run by cpack before it packs the staged files (CPACK_PRE_BUILD_SCRIPTS)
# and once it has made the packages (CPACK_POST_BUILD_SCRIPTS).
#
# Before, every staged file is dated SOURCE_DATE_EPOCH: install keeps the
# time of each file in the checkout, which may be older than the commit.
#
# cpack writes an archive's entries in the order the directory listing
# gives them, which differs from one file system to the next, with the
# owner of the staged files, and with directory (and .deb member) modes that
# follow the umask.  So each package is unpacked and packed again by the
# standard tool for its format, with its entries in name order, owned by
# root, each u=rwX,go=rX and dated SOURCE_DATE_EPOCH.  The .deb's
# Installed-Size is counted again too: cpack adds up the sizes of the
# directories as well, and they differ from one file system to the next.

set(mode u=rwX,go=rX)
set(epoch $ENV{SOURCE_DATE_EPOCH})

function(run)
  execute_process(COMMAND ${ARGN} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

if(NOT DEFINED CPACK_PACKAGE_FILES)
  run(find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @${epoch} {} +)
  return()
endif()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  if(package MATCHES "\\.deb$")
    run(dpkg-deb --raw-extract ${package} ${tree})
    # As dpkg-gencontrol counts: a file's size in KiB rounded up, and one
    # for each directory.
    file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${tree} ${tree}/*)
    list(FILTER entries EXCLUDE REGEX "^DEBIAN(/|$)")
    set(kib 0)
    foreach(entry IN LISTS entries)
      set(size 1)
      if(NOT IS_DIRECTORY ${tree}/${entry})
        file(SIZE ${tree}/${entry} size)
        math(EXPR size "(${size} + 1023) / 1024")
      endif()
      math(EXPR kib "${kib} + ${size}")
    endforeach()
    file(READ ${tree}/DEBIAN/control control)
    string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${kib}" control "${control}")
    file(WRITE ${tree}/DEBIAN/control "${control}")
    run(chmod -R ${mode} ${tree})
    run(dpkg-deb --root-owner-group -Zgzip --build ${tree} ${package} OUTPUT_QUIET)
  elseif(package MATCHES "\\.tar\\.gz$")
    run(tar -xzf ${package} -C ${tree})
    file(GLOB top RELATIVE ${tree} ${tree}/*)
    run(tar -C ${tree} --sort=name --owner=0 --group=0 --numeric-owner
          --mode=${mode} --mtime=@${epoch} --format=gnu -cf - ${top}
        COMMAND gzip -9n OUTPUT_FILE ${package})
  elseif(package MATCHES "\\.zip$")
    run(unzip -q ${package} -d ${tree})
    run(chmod -R ${mode} ${tree})
    file(REMOVE ${package})
    # Files only, sorted; -X leaves out the owner and the extra time stamps.
    run(find . -type f WORKING_DIRECTORY ${tree}
        COMMAND sort
        COMMAND zip -q -X -D -@ ${package} WORKING_DIRECTORY ${tree})
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
