// The program's console: what it writes goes on the screen, and each line
// typed goes to its standard input, shown where a terminal would echo it.
var output = document.getElementById('output');
var line = document.getElementById('line');
var answer = document.getElementById('answer');
var end = document.getElementById('end');
var again = document.getElementById('again');
var typed = [];    // lines sent, as bytes, that the program has not read
var waiting = null; // the program's read, while it waits for a line
var ended = false;

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

function run() {
  var decoder = new TextDecoder();
  var last = ''; // the program's last line so far
  output.textContent = '';
  typed = [];
  ended = false;
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
  }).then(function () {
    line.hidden = end.hidden = true;
    again.hidden = false;
    again.focus();
  });
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
run();
