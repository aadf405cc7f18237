// The program's standard input and output, which Module.read and
// Module.write supply: read() gives a promise of the next bytes of input,
// an empty array at its end; write(bytes) takes what the program writes.
// Module.fail(error) is told of a read that goes wrong.
mergeInto(LibraryManager.library, {
  // The WebAssembly comes from the data: URL within this file, decoded here
  // before it is compiled.  Left alone, a browser would first fetch that
  // URL, which a page's security policy refuses unless it allows
  // connect-src data: (and the browser reports that as an error), and only
  // then decode it.  It is included with fd_write, which every program has.
  $wasmFromFile__postset: "wasmBinary = Uint8Array.from(atob(wasmBinaryFile.split(',')[1]), " +
    "function (c) { return c.charCodeAt(0); });",
  $wasmFromFile: {},
  fd_write__deps: ['$wasmFromFile'],
  fd_read: function (fd, iov, iovcnt, pnum) {
    return Asyncify.handleSleep(function (wakeUp) {
      var next = Module.unread && Module.unread.length ? Promise.resolve(Module.unread) : Module.read();
      next.then(function (bytes) {
        var n = 0;
        for (var i = 0; i < iovcnt; i++, iov += 8) {
          var part = bytes.subarray(n, n + HEAPU32[(iov + 4) >> 2]);
          HEAPU8.set(part, HEAPU32[iov >> 2]);
          n += part.length;
        }
        Module.unread = bytes.subarray(n);
        HEAPU32[pnum >> 2] = n;
        wakeUp(0);
      }).catch(Module.fail);
    });
  },
  fd_write: function (fd, iov, iovcnt, pnum) {
    var n = 0;
    for (var i = 0; i < iovcnt; i++, iov += 8) {
      var ptr = HEAPU32[iov >> 2], len = HEAPU32[(iov + 4) >> 2];
      if (fd == 1) Module.write(HEAPU8.slice(ptr, ptr + len));
      n += len;
    }
    HEAPU32[pnum >> 2] = n;
    return 0;
  }
});
