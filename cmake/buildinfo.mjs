// buildinfo.mjs SOURCE VERSION EPOCH TOOL... [--not-debian=TOOL...]
// Prints a record of the build environment, modelled on Debian's .buildinfo
// (man deb-buildinfo): the packages that own the TOOLs the build runs, and
// everything they (and build-essential) depend on, with exact versions.
// Only the given EPOCH stands for time; no dates, paths or host names.
import { execFileSync, spawnSync } from 'node:child_process';
import { accessSync, constants, readFileSync, realpathSync } from 'node:fs';

const die = (msg) => { process.stderr.write(`buildinfo: ${msg}\n`); process.exit(1); };
const [source, version, epoch, ...args] = process.argv.slice(2);
if (!/^\d+$/.test(epoch ?? '') || !args.length) die('usage: buildinfo.mjs SOURCE VERSION EPOCH TOOL... [--not-debian=TOOL]');
// A tool written --not-debian=TOOL may be owned by no package (e.g. a hand-installed node).
const notDebianTools = new Set(args.filter((a) => a.startsWith('--not-debian=')).map((a) => a.slice(13)));
const tools = args.map((a) => a.replace(/^--not-debian=/, ''));
const env = { ...process.env, LC_ALL: 'C' };
const run = (cmd, ...a) => execFileSync(cmd, a, { encoding: 'utf8', env });
const field = (text, name) => (text.match(new RegExp(`^${name}=?:?\\s*"?([^"\\n]*)`, 'm')) ?? [])[1];
const buildArch = run('dpkg', '--print-architecture').trim();

// All installed packages, read once. Key "name:arch"; byName/provides are indexes.
const pkgs = new Map(), byName = new Map(), provides = new Map(), byBinary = new Map();
const push = (map, key, value) => map.set(key, [...(map.get(key) ?? []), value]);
const fmt = '${binary:Package}\t${Package}\t${Architecture}\t${Version}\t${db:Status-Abbrev}\t${Maintainer}\t${Pre-Depends}, ${Depends}\t${Provides}\n';
for (const line of run('dpkg-query', '-W', '-f', fmt).split('\n')) {
  const [bin, name, arch, ver, status, maint, deps, prov] = line.split('\t');
  if (status?.[1] !== 'i') continue; // keep only "installed" (ii, hi, ...)
  const p = { name, arch, ver, maint, deps, key: `${name}:${arch}` };
  pkgs.set(p.key, p); byBinary.set(bin, p); push(byName, name, p);
  for (const v of prov.split(',')) if (v.trim()) push(provides, v.trim().split(/[\s:(]/)[0], p);
}

// Installed packages that satisfy one dependency atom ("name[:qual] [(op ver)]")
// of package `from`: qualifiers and versions are ignored; prefer the depender's
// architecture (or all), else any installed one; else the virtual's providers.
const resolve = (atom, from) => {
  const name = atom.trim().split(/[\s:(]/)[0];
  const pick = (list) => { const same = list.filter((p) => p.arch === from.arch || p.arch === 'all'); return same.length ? same : list; };
  return byName.has(name) ? pick(byName.get(name)) : pick(provides.get(name) ?? []);
};

// Map each tool to the packages owning its PATH entry or its real file (one dpkg -S).
// Debian 12 is usrmerged: dpkg may know /bin/x as /usr/bin/x or the other way round.
const usrmerge = (f) => [f, f.startsWith('/usr/') ? f.slice(4) : '/usr' + f];
const which = (t) => (env.PATH ?? '').split(':').map((d) => `${d}/${t}`).find((f) => { try { accessSync(f, constants.X_OK); return true; } catch { return false; } });
const files = new Map(); // tool -> candidate paths
for (const t of tools) { const f = which(t); files.set(t, f ? [...usrmerge(f), ...usrmerge(realpathSync(f))] : []); }
const owners = new Map(); // path -> owning binary packages
const dpkgS = spawnSync('dpkg-query', ['-S', ...new Set([...files.values()].flat())], { encoding: 'utf8', env });
if (dpkgS.status > 1 || dpkgS.error) die(`dpkg-query -S failed: ${dpkgS.stderr}`);
for (const line of dpkgS.stdout.split('\n')) {
  const i = line.indexOf(': /'); // "pkg[:arch][, pkg...]: /path"
  if (i > 0 && !line.startsWith('diversion by')) owners.set(line.slice(i + 2), line.slice(0, i).split(', '));
}
const roots = [];
for (const t of tools) {
  const own = files.get(t).flatMap((f) => owners.get(f) ?? []).map((b) => byBinary.get(b)).filter(Boolean);
  if (!own.length && !notDebianTools.has(t)) die(`no installed package owns tool ${t}`);
  roots.push(...own);
}
if (byName.has('build-essential')) roots.push(...resolve('build-essential', { arch: buildArch }));

// Walk Pre-Depends and Depends recursively; for "a | b" take every installed one.
const seen = new Map();
for (const queue = [...roots]; queue.length;) {
  const p = queue.pop();
  if (seen.has(p.key)) continue;
  seen.set(p.key, p);
  for (const atom of p.deps.split(/[,|]/)) if (atom.trim()) queue.push(...resolve(atom, p));
}

// "name[:arch] (= version)", arch only for foreign (not build-arch, not all) packages.
const entry = (p) => `${p.name}${p.arch === buildArch || p.arch === 'all' ? '' : ':' + p.arch} (= ${p.ver})`;
const list = (ps) => ps.map(entry).sort((a, b) => (a < b ? -1 : a > b ? 1 : 0)).map((e) => ` ${e}`).join(',\n');
// Not from Debian: the vendor name shows in the Version or Maintainer of NodeSource's
// and Google's packages. (apt-cache policy cannot tell: Debian versions superseded by
// a point release are, like third-party ones, known only from /var/lib/dpkg/status.)
// Such packages stay in Installed-Build-Depends, which lists all that is installed,
// and are named again in Not-From-Debian so that a reader cannot miss them.
const foreign = [...seen.values()].filter((p) => /nodesource|google/i.test(p.ver + p.maint));
const osRelease = readFileSync('/etc/os-release', 'utf8');
const out = [
  'Format: 1.0', `Source: ${source}`, `Version: ${version}`,
  `Build-Origin: ${field(readFileSync('/etc/dpkg/origins/default', 'utf8'), 'Vendor')}`,
  `Build-Architecture: ${buildArch}`,
  `Build-Distribution: ${field(osRelease, 'VERSION_CODENAME')}`,
  `Build-Debian-Version: ${readFileSync('/etc/debian_version', 'utf8').trim()}`,
  `Source-Date-Epoch: ${epoch}`,
  'Installed-Build-Depends:', list([...seen.values()]),
];
const untracked = [...notDebianTools].filter((t) => !files.get(t).some((f) => owners.has(f)));
if (foreign.length || untracked.length) out.push('Not-From-Debian:', [list(foreign), ...untracked.map((t) => ` ${t} (no package)`)].filter(Boolean).join(',\n'));
process.stdout.write(out.join('\n') + '\n');
