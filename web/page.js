// The program's console: what it writes goes on the screen, and each line
// typed goes to its standard input, shown where a terminal would echo it.
var output = document.getElementById('output');
var line = document.getElementById('line');
var answer = document.getElementById('answer');
var end = document.getElementById('end');
var again = document.getElementById('again');
var problem = document.getElementById('problem');
var typed = [];     // lines sent, as bytes, that the program has not read
var waiting = null; // the program's read, while it waits for a line
var ended = false;
var running = false;

function give(bytes) {
  if (waiting) {
    waiting(bytes);
    waiting = null;
  } else {
    typed.push(bytes);
  }
}

// Sends text as typed, with Enter when newline is true.
function send(text, newline) {
  if (newline) {
    text += '\n';
  }
  output.append(text);
  answer.value = '';
  if (text != '') {
    give(new TextEncoder().encode(text));
  }
}

// Ends the input, after the line in the box, if any, without Enter.
function endInput() {
  if (answer.value != '') {
    send(answer.value, false);
  }
  if (!ended) {
    ended = true;
    line.hidden = end.hidden = true;
    give(new Uint8Array(0));
  }
}

// Ctrl+D: a line not yet sent goes without Enter, as at a terminal; on an
// empty line the input ends.
function controlD() {
  if (answer.value != '') {
    send(answer.value, false);
  } else {
    endInput();
  }
  answer.focus();
}

function say(text) {
  problem.textContent = text;
  problem.hidden = false;
}

function finish() {
  running = false;
  line.hidden = end.hidden = true;
  again.hidden = false;
  again.focus();
}

// Says why the program could not start, or that it stopped on an error;
// what it wrote stays.  A browser that refuses WebAssembly under the
// server's security policy names the policy in its error.
function fail(error) {
  if (!running) {
    return;
  }
  finish();
  if (/Content Security Policy|\bCSP\b/i.test(error)) {
    say('The web server\'s security policy does not let the browser run the ' +
      'program, which is WebAssembly. The server must send at least ' +
      '"Content-Security-Policy: default-src \'self\'; script-src \'self\' ' +
      '\'wasm-unsafe-eval\'".');
  } else if (typeof WebAssembly != 'object') {
    say('This browser runs no WebAssembly, which the program is: it may be ' +
      'turned off in its settings (as a strict security mode does).');
  } else {
    say('The program stopped on an error, and what it wrote is kept above. ' +
      '"Start again" runs it afresh. (The error: ' + error + ')');
  }
}

function run() {
  var decoder = new TextDecoder();
  var last = ''; // the program's last line so far
  output.textContent = '';
  problem.hidden = true;
  typed = [];
  waiting = null;
  ended = false;
  running = true;
  line.hidden = end.hidden = false;
  again.hidden = true;
  answer.focus();
  PersonCard.run(function () {
    return new Promise(function (resolve) {
      if (typed.length) {
        resolve(typed.shift());
      } else {
        waiting = resolve;
      }
    });
  }, function (bytes) {
    var text = decoder.decode(bytes, { stream: true });
    output.append(text);
    // The box is named after the question: "Input your Age", say.
    last = (last + text).split('\n').pop();
    if (last.trim() != '') {
      answer.setAttribute('aria-label', last.replace(/[\s:]+$/, '').trim());
    }
    answer.scrollIntoView({ block: 'nearest' });
  }).then(finish, fail);
}

line.addEventListener('submit', function (event) {
  event.preventDefault();
  send(answer.value, true);
});
// Ctrl+D wherever the focus is, not the browser's bookmark.
document.addEventListener('keydown', function (event) {
  if (!line.hidden && event.ctrlKey && !event.altKey && !event.metaKey &&
      event.key.toLowerCase() == 'd') {
    event.preventDefault();
    controlD();
  }
});
// Pasted lines are answered as if typed one by one; the last, without a
// line end after it, waits for Enter.
answer.addEventListener('paste', function (event) {
  var lines = event.clipboardData.getData('text').split(/\r\n|\r|\n/);
  if (lines.length > 1) {
    event.preventDefault();
    lines[0] = answer.value + lines[0];
    var last = lines.pop();
    lines.forEach(function (text) {
      send(text, true);
    });
    answer.value = last;
  }
});
end.addEventListener('click', endInput);
again.addEventListener('click', run);
// A click or tap anywhere brings the typing back, unless it selected text.
document.addEventListener('click', function () {
  if (!line.hidden && getSelection().isCollapsed) {
    answer.focus();
  }
});
// Whatever goes wrong while the program runs stops it, and the page says so.
addEventListener('error', function (event) {
  if (running) {
    event.preventDefault();
    fail(event.error || event.message);
  }
});
addEventListener('unhandledrejection', function (event) {
  if (running) {
    event.preventDefault();
    fail(event.reason);
  }
});
// From a web server the page can be installed as an app, and the browser
// keeps its files for use offline.  A page opened from the disk can have no
// service worker, and Chromium refuses to read its manifest (with an error
// on its console), so there it names none.
if (/^https?:$/.test(location.protocol)) {
  var manifest = document.createElement('link');
  manifest.rel = 'manifest';
  manifest.href = 'manifest.webmanifest';
  document.head.append(manifest);
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(function () {});
  }
}
// Without person-card.js the page's own message stays: where to open it.
if (typeof PersonCard == 'function') {
  run();
}
