// Runs the program once: read and write are its standard input and output.
// Its last line has no line feed, so it is still in the C library's buffer
// when main returns.  The promise is rejected if the program cannot start
// (a browser without WebAssembly throws at once) or a read goes wrong.
PersonCard.run = function (read, write) {
  return new Promise(function (resolve, reject) {
    PersonCard({ read: read, write: write, fail: reject }).then(function (m) {
      return m.ccall('main', 'number', [], [], { async: true }).then(function () {
        m._fflush(0);
      });
    }).then(resolve, reject);
  });
};

// Run by node as a command: the process's standard input and output.
if (typeof process == 'object' && typeof require == 'function' && require.main === module) {
  var input = process.stdin[Symbol.asyncIterator]();
  // A reader that goes away must not change the exit status.
  process.stdout.on('error', function () {});
  PersonCard.run(function () {
    return input.next().then(function (chunk) {
      return chunk.done ? new Uint8Array(0) : chunk.value;
    });
  }, function (bytes) {
    process.stdout.write(bytes);
  }).then(function () {
    // Answers beyond the five are left unread, as by the other programs.
    process.stdin.destroy();
  });
}
