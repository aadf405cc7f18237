// Usage: node tests/browser.mjs chromium|firefox|webkit PAGE SHOT
//
// Types sessions at PAGE (index.html, from file://), each answer after its
// prompt, in Debian's browser: headless through puppeteer-core, or WebKit
// through WebKitWebDriver on a display (xvfb-run).  The screen must be what
// a terminal shows, the answer box named after the question, with no error
// and nothing loaded but the page's files; axe-core must find nothing.
// SHOT gets the sample's screenshot.  The page is also served with a strict
// security policy, where no browser may ask for a file that it lacks, and
// opened without its program.  Chromium also finds the page installable,
// runs it again offline, times the first prompt, plays a phone 320 px wide,
// and is dark.
import { execFileSync, spawn } from 'node:child_process';
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';

const [engine, page, shot] = process.argv.slice(2);
const url = 'file://' + resolve(page), folder = dirname(resolve(page));
const read = (name) => readFileSync(new URL(name, import.meta.url), 'utf8');
const json = JSON.stringify;
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const recorder = "window.errors = []; onerror = (e) => errors.push(e); console.error = (...a) => errors.push(a.join(' '));" +
  "onunhandledrejection = (e) => errors.push(e.reason); onsecuritypolicyviolation = (e) => errors.push(e.blockedURI + ' refused');";

async function puppeteer() {
  const { default: p } = await import('puppeteer-core');
  const chromium = engine == 'chromium';
  const browser = await p.launch({ browser: chromium ? 'chrome' : 'firefox',
    executablePath: chromium ? '/usr/bin/chromium' : '/usr/bin/firefox-esr',
    args: chromium ? ['--no-sandbox', '--disable-background-networking'] : [] });
  const tab = await browser.newPage(), kb = tab.keyboard;
  await tab.evaluateOnNewDocument(recorder);
  return { tab, open: (url) => tab.goto(url), js: (expr) => tab.evaluate(expr),
    click: (id) => tab.click('#' + id), shot: (path) => tab.screenshot({ path }), close: () => browser.close(),
    async keys(...keys) {
      for (const k of keys)
        if (k == 'Control+d') await kb.down('Control'), await kb.press('d'), await kb.up('Control');
        else if (k == 'Enter' || k == 'Backspace') await kb.press(k);
        else await kb.type(k);
    } };
}

async function webkit() {
  const port = 4400 + (process.pid % 1000);
  const driver = spawn('WebKitWebDriver', ['--port=' + port], { detached: true, stdio: 'ignore' });
  // Without a display the session never starts: no call may wait for ever.
  const wd = async (method, path, body) => {
    const res = await fetch(`http://127.0.0.1:${port}${path}`,
      { method, body: body && json(body), signal: AbortSignal.timeout(30000) });
    const { value } = await res.json();
    if (!res.ok) throw new Error('WebKitWebDriver: ' + value.message);
    return value;
  };
  for (let t = 0; !(await wd('GET', '/status').catch(() => 0)); t++, await sleep(50))
    if (t > 200) throw new Error('WebKitWebDriver does not start');
  const s = '/session/' + (await wd('POST', '/session', { capabilities: {} })).sessionId;
  const js = (expr) => wd('POST', s + '/execute/sync', { script: 'return ' + expr, args: [] });
  const special = { Enter: '\uE007', Backspace: '\uE003', 'Control+d': '\uE009d\uE000' };
  return { js, open: (url) => wd('POST', s + '/url', { url }).then(() => js(`(() => { ${recorder} })()`)),
    click: async (id) => wd('POST', `${s}/element/${Object.values(await wd('POST', s + '/element',
      { using: 'css selector', value: '#' + id }))[0]}/click`, {}),
    keys: async (...keys) => keys.length && wd('POST', `${s}/element/${Object.values(
      await wd('GET', s + '/element/active'))[0]}/value`, { text: keys.map((k) => special[k] || k).join('') }),
    shot: async (file) => writeFileSync(file, Buffer.from(await wd('GET', s + '/screenshot'), 'base64')),
    close: () => wd('DELETE', s).finally(() => process.kill(-driver.pid)) };
}

const d = await (engine == 'webkit' ? webkit : puppeteer)();
async function until(expr, what) {
  for (let t = 0; t < 300; t++, await sleep(50)) if (await d.js(expr)) return;
  throw new Error(`${engine}: timed out waiting for ${what}`);
}
const prompts = ['Input your No. : ', 'Input Your Name : ', 'Input your Age : ', 'Input your High : ', 'Input your Weight : '];
const screen = "document.querySelector('pre').innerText", label = "answer.getAttribute('aria-label')";
const prompt = (i) => until(`${screen}.endsWith(${json(prompts[i])}) && ${label} == ${json(prompts[i].slice(0, -3))}`,
  `'${prompts[i]}' and its box's name`);
// Types each answer's keys after its prompt (from the FROMth) and Enter;
// then the screen must be WANT.
async function session(what, want, answers, from = 0, keys = d.keys) {
  for (const [i, a] of answers.entries()) await prompt(from + i), await keys(...a), await d.keys('Enter');
  await until("!document.getElementById('again').hidden", 'the end of ' + what);
  const [got, errors, loaded] = await d.js(`[${screen}, window.errors, performance.getEntriesByType('resource')
    .map((r) => r.name).filter((n) => !n.startsWith(location.href.replace(/[^/]*$/, '')))]`);
  if (got != want || errors.length || loaded.length)
    throw new Error(`${engine}: ${what} shows ${json(got)}, not ${json(want)}; errors: ${errors}; loaded: ${loaded}`);
}
const again = () => d.click('again').then(() => prompt(0));
const sample = read('../README.md').split('## Sample session')[1].split('```')[1]
  .split('\n').slice(2).join('\n').replace(/\$\n$/, '');
// The answers of a row of the table, and what a terminal shows once they are typed.
function typed(row) {
  const answers = read(`cases/${row}.in`).trim().split('\n'), echo = [...answers];
  return [answers.map((a) => [a]), read(`cases/${row}.out`).replace(/Input .*? : /g, (p) => p + echo.shift() + '\n')];
}
const [example] = typed('example'), [name, long] = typed('name-utf8');
const axeCore = read('../node_modules/axe-core/axe.min.js');
async function axe(when) {
  const found = await d.js(`(window.axe || (() => { ${axeCore} })(), axe.run()).then((r) => r.violations.map((v) => v.id))`);
  if (found.length) throw new Error(`${engine}: axe-core ${when}: ${found}`);
}
// Each of the program's lines on a line of its own, and the first answer box beside its prompt.
const fits = `(() => { const r = document.createRange(), box = answer.getBoundingClientRect();
  r.selectNodeContents(output); const lines = [...r.getClientRects()].filter((b) => b.width);
  return new Set(lines.map((b) => Math.round(b.top))).size == output.textContent.split('\\n').filter(Boolean).length &&
    (line.hidden || box.top < lines.at(-1).bottom) && document.documentElement.scrollWidth <= innerWidth; })()`;
// The page's folder over http under the strictest policy it needs; under /refused/, a policy without WebAssembly.
const policy = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'", requests = [], missing = [];
const types = { js: 'text/javascript', css: 'text/css', png: 'image/png', svg: 'image/svg+xml',
  webmanifest: 'application/manifest+json' };
const server = createServer((req, res) => {
  const path = new URL(req.url, 'http://host').pathname;
  requests.push(path);
  try {
    const body = readFileSync(join(folder, path.replace(/^\/refused/, '')));
    res.writeHead(200, { 'Content-Type': types[path.split('.').pop()] || 'text/html', 'Content-Security-Policy':
      path.startsWith('/refused/') ? "default-src 'self'" : policy }).end(body);
  } catch { missing.push(path), res.writeHead(404).end(); }
}).listen(0, '127.0.0.1');
const http = () => `http://127.0.0.1:${server.address().port}`, alone = mkdtempSync(join(tmpdir(), 'page-'));

try {
  await d.open(url);
  await prompt(0), await axe('at the first prompt');
  await session('the sample session', sample, example);
  await d.shot(shot), await axe('at the end');
  await again();
  // A paste, as the browser sends it (no script may fill Firefox's clipboard).
  await d.js(`document.activeElement.dispatchEvent(Object.defineProperty(new ClipboardEvent('paste',
    { cancelable: true }), 'clipboardData', { value: { getData: () => '7\\nAnn' } }))`);
  await session('paste, Backspace and Start again', sample, [[], ['30'], ['165.55', 'Backspace'], ['52.25']], 1);
  await again();
  await session('a long name', long, name);
  await again(), await d.js("document.getElementById('end').focus()"), await d.keys('Control+d');
  await session('Control+d on a button', read('cases/empty.out'), []);
  await again(), await d.keys('7'), await d.click('end');
  const seven = execFileSync(process.execPath, [join(folder, 'person-card.js')], { input: '7', encoding: 'utf8' });
  await session('End input after 7', seven.replace(prompts[0], '$&7'), []);
  // The program fails: it reads what is no input.
  await again(), await d.js("give('no bytes')");
  await until(`!again.hidden && /stopped on an error/.test(problem.innerText) && ${screen} == '-'.repeat(32) + '\\n' + ${json(prompts[0])}`,
    'the failure told');
  await d.js('errors.length = 0'), await again();
  await d.open(http() + '/index.html');
  await session('a session under the security policy', sample, example);
  // Chromium can install the page as an app, and a reload without a network runs it from the kept files.
  if (engine == 'chromium') {
    await until('navigator.serviceWorker.controller', 'the service worker');
    const cdp = await d.tab.createCDPSession(), asked = requests.length;
    const [{ installabilityErrors }, { errors }] = await Promise.all(['Page.getInstallabilityErrors',
      'Page.getAppManifest'].map((method) => cdp.send(method)));
    if (installabilityErrors.length || errors.length) throw new Error(`chromium: ${json([installabilityErrors, errors])}`);
    await d.tab.setOfflineMode(true), await d.tab.reload();
    await session('the sample session offline', sample, example);
    if (requests.length > asked) throw new Error(`chromium asked offline for ${requests.slice(asked)}`);
    await d.tab.setOfflineMode(false);
  }
  // No browser asks for a file that the page does not have, as /favicon.ico.
  if (missing.length) throw new Error(`${engine} asked for ${missing}`);
  await d.open(http() + '/refused/index.html');
  await until('/must send at least "Content-Security-Policy/.test(problem.innerText)', 'the policy named');
  for (const file of ['index.html', 'page.js', 'page.css']) copyFileSync(join(folder, file), join(alone, file));
  await d.open('file://' + alone + '/index.html');
  await until("/unzipped folder/.test(problem.innerText) && !errors.length", 'the page telling where to open it');
  if (engine == 'chromium') {
    const times = []; // a figure, not a test: from opening the page to seeing the first prompt
    for (let i = 0; i < 7; i++) times.push(-Date.now()), await d.open(url), await prompt(0), (times[i] += Date.now());
    console.log(`first prompt within ${times.sort((a, b) => a - b)[3]} ms of opening the page (median of 7)`);
    // A phone 320 px wide, or 640 px at 200 %; dark, as only Chromium can play.
    await d.tab.setViewport({ width: 320, height: 640, isMobile: true, hasTouch: true });
    await d.tab.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
    await d.open(url), await prompt(0), await d.js('document.activeElement.blur()');
    await until(fits, 'the first prompt to fit 320 px');
    await d.tab.touchscreen.tap(100, 10);
    await until("document.activeElement.id == 'answer'", 'the typing after a tap');
    await session('a phone', sample, example, 0, (text) => d.tab.keyboard.sendCharacter(text));
    await until(fits + " && /^rgb\\(([0-5]?\\d, ){2}[0-5]?\\d\\)$/.test(getComputedStyle(document.documentElement).backgroundColor)",
      'the sample to fit 320 px, dark');
  }
} finally {
  server.close(), rmSync(alone, { recursive: true });
  await d.close();
}
