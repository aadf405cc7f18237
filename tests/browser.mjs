// Usage: node tests/browser.mjs ENGINE PAGE SHOT
//
// Opens PAGE, the web page's index.html, from file:// in ENGINE: chromium
// or firefox (headless, through puppeteer-core) or webkit (through
// WebKitWebDriver; it needs a display, such as xvfb-run's), each Debian's
// own.  Sessions are typed answer by answer, each after its prompt, and the
// screen must be what a terminal shows: the README's sample session; the
// same through a paste, Backspace and Start again; a long name in another
// script; Ctrl+D and "End input" at once (nothing echoed: cases/empty.out).
// No error may be raised and nothing loaded but files.  SHOT gets a
// screenshot of the finished sample.  In chromium the page is also used on
// a phone-sized touch screen: a tap brings the typing back, text comes as
// an input method inserts it, and nothing is wider than the screen.
import { spawn } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { resolve } from 'node:path';

const [engine, page, shot] = process.argv.slice(2);
const url = 'file://' + resolve(page);
const read = (name) => readFileSync(new URL(name, import.meta.url), 'utf8');
const json = JSON.stringify;
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const recorder = `window.errors = [];
  addEventListener('error', (e) => errors.push(e.message));
  console.error = (...a) => errors.push(a.join(' '));`;

async function puppeteer() {
  const { default: p } = await import('puppeteer-core');
  const browser = await p.launch({ browser: engine == 'chromium' ? 'chrome' : 'firefox',
    executablePath: engine == 'chromium' ? '/usr/bin/chromium' : '/usr/bin/firefox-esr',
    args: engine == 'chromium' ? ['--no-sandbox', '--disable-background-networking'] : [] });
  const tab = await browser.newPage();
  await tab.evaluateOnNewDocument(recorder);
  return { tab, close: () => browser.close(), open: (url) => tab.goto(url),
    js: (expr) => tab.evaluate(expr), click: (id) => tab.click('#' + id),
    shot: (file) => tab.screenshot({ path: file }),
    async keys(...keys) {
      for (const k of keys) {
        if (k == 'Control+d') {
          await tab.keyboard.down('Control'), await tab.keyboard.press('d');
          await tab.keyboard.up('Control');
        } else if (k == 'Enter' || k == 'Backspace') await tab.keyboard.press(k);
        else await tab.keyboard.type(k);
      }
    } };
}

const d = await (engine == 'webkit' ? webkit : puppeteer)();

async function webkit() {
  const port = await new Promise((ok) => {
    const server = createServer().listen(0, () => {
      const { port } = server.address();
      server.close(() => ok(port));
    });
  });
  const driver = spawn('WebKitWebDriver', ['--port=' + port], { detached: true, stdio: 'ignore' });
  // Without a display the session never starts: no call may wait for ever.
  const wd = async (method, path, body) => {
    const res = await fetch(`http://127.0.0.1:${port}${path}`,
      { method, body: body && json(body), signal: AbortSignal.timeout(30000) });
    const { value } = await res.json();
    if (!res.ok) throw new Error(`WebKitWebDriver: ${value.message}`);
    return value;
  };
  for (let t = 0; !(await wd('GET', '/status').catch(() => 0)); t++, await sleep(50))
    if (t > 200) throw new Error('WebKitWebDriver does not start');
  const s = '/session/' + (await wd('POST', '/session', { capabilities: {} })).sessionId;
  const js = (script) => wd('POST', s + '/execute/sync', { script, args: [] });
  const key = (k) => [{ type: 'keyDown', value: k }, { type: 'keyUp', value: k }];
  const special = { Enter: key('\uE007'), Backspace: key('\uE003'),
    'Control+d': [{ type: 'keyDown', value: '\uE009' }, ...key('d'), { type: 'keyUp', value: '\uE009' }] };
  return { open: (url) => wd('POST', s + '/url', { url }).then(() => js(recorder)),
    js: (expr) => js('return ' + expr),
    async click(id) {
      const button = await wd('POST', s + '/element', { using: 'css selector', value: '#' + id });
      await wd('POST', `${s}/element/${Object.values(button)[0]}/click`, {});
    },
    keys: (...keys) => wd('POST', s + '/actions',
      { actions: [{ type: 'key', id: 'keys', actions: keys.flatMap((k) => special[k] || [...k].flatMap(key)) }] }),
    shot: async (file) => writeFileSync(file, Buffer.from(await wd('GET', s + '/screenshot'), 'base64')),
    close: () => wd('DELETE', s).finally(() => process.kill(-driver.pid)) };
}

async function until(expr, what) {
  for (let t = 0; t < 300; t++, await sleep(50)) if (await d.js(expr)) return;
  throw new Error(`${engine}: timed out waiting for ${what || expr}`);
}
const prompt = (p) => until(`document.body.innerText.endsWith(${json(p)})`, `the prompt '${p}'`);
const prompts = ['No. : ', 'Name : ', 'Age : ', 'High : ', 'Weight : '];
// Each answer's keys, after its prompt, then Enter; from the FROMth prompt.
async function type(answers, from = 0, keys = d.keys) {
  for (const [i, a] of answers.entries()) await prompt(prompts[from + i]), await keys(...a), await d.keys('Enter');
}
async function expect(what, want) {
  await until("!document.getElementById('again').hidden", `the end of ${what}`);
  const got = await d.js('document.body.innerText');
  if (got != want) throw new Error(`${engine}: ${what} shows ${json(got)}, not ${json(want)}`);
}
// The screen after the answers of cases/NAME.in were typed one per line.
function typed(name) {
  const answers = read(`cases/${name}.in`).split('\n');
  return read(`cases/${name}.out`).replace(/Input .*? : /g, (p) => p + answers.shift() + '\n');
}
async function again() {
  await d.click('again');
  await until(`document.body.innerText == ${json('-'.repeat(32) + '\n' + 'Input your No. : ')}`, 'a fresh start');
}
const sample = read('../README.md').split('## Sample session')[1].split('```')[1]
  .split('\n').slice(2).join('\n').replace(/\$\n$/, '');

try {
  await d.open(url);
  await type([['7'], ['Ann'], ['30'], ['165.5'], ['52.25']]);
  await expect('the sample session', sample);
  await d.shot(shot);
  await again();
  await prompt(prompts[0]);
  // A paste event as the browser would send it (Firefox lets no script fill a clipboard).
  await d.js(`(() => { const paste = new ClipboardEvent('paste', { cancelable: true });
    Object.defineProperty(paste, 'clipboardData', { value: { getData: () => '7\\nAnn' } });
    document.activeElement.dispatchEvent(paste); })()`);
  await d.keys('Enter');
  await type([['30'], ['165.55', 'Backspace'], ['52.25']], 2);
  await expect('paste, Backspace and Start again', sample);
  await again();
  const name = read('cases/name-utf8.in').trim().split('\n').map((a) => [a]);
  await type(name);
  await expect('a long name', typed('name-utf8'));
  await again();
  await prompt(prompts[0]), await d.keys('Control+d');
  await expect('Ctrl+D', read('cases/empty.out'));
  await again();
  await d.click('end');
  await expect('End input', read('cases/empty.out'));
  const loaded = await d.js("performance.getEntriesByType('resource').map((r) => r.name)");
  const errors = await d.js('window.errors');
  if (loaded.some((url) => !url.startsWith('file:')) || errors.length)
    throw new Error(`${engine}: loaded ${loaded}, errors: ${errors}`);
  if (engine == 'chromium') {
    // A figure, not a test: how long the first prompt takes to appear.
    const times = [];
    for (let i = 0; i < 7; i++) {
      await d.open(url);
      const shown = await d.tab.waitForFunction(() => document.body.innerText.endsWith('No. : ') && performance.now(),
        { polling: 'mutation' });
      times.push(await shown.jsonValue());
    }
    console.log(`the first prompt appears ${times.sort((a, b) => a - b)[3].toFixed(0)} ms after the page starts to load (median of 7)`);
    await d.tab.setViewport({ width: 360, height: 640, isMobile: true, hasTouch: true });
    await d.open(url);
    await prompt(prompts[0]), await d.js('document.activeElement.blur()');
    await d.tab.touchscreen.tap(100, 10);
    await until("document.activeElement.id == 'answer'", 'the typing after a tap');
    await type(name, 0, (text) => d.tab.keyboard.sendCharacter(text));
    await expect('a phone', typed('name-utf8'));
    if (await d.js('document.documentElement.scrollWidth') > 360) throw new Error('wider than a phone');
  }
} finally {
  await d.close();
}
