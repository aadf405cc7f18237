// buildinfo.mjs SOURCE VERSION EPOCH TOOL...
// Prints a record of the build environment, modelled on Debian's .buildinfo
// (man deb-buildinfo): the packages that own the TOOLs the build runs (a
// name on the PATH, or a file such as a library by its path), and
// everything they (and build-essential) depend on, with exact versions.
// Only the given EPOCH stands for time; no dates, paths or host names.
import { execFileSync, spawnSync } from 'node:child_process';
import { accessSync, constants, readFileSync, realpathSync, statSync } from 'node:fs';

const die = (msg) => { process.stderr.write(`buildinfo: ${msg}\n`); process.exit(1); };
const [source, version, epoch, ...tools] = process.argv.slice(2);
if (!/^\d+$/.test(epoch ?? '') || !tools.length) die('usage: buildinfo.mjs SOURCE VERSION EPOCH TOOL...');
const env = { ...process.env, LC_ALL: 'C' };
const run = (cmd, ...a) => execFileSync(cmd, a, { encoding: 'utf8', env });
// The value of NAME in a "NAME: value" or NAME="value" file.
const field = (file, name) => readFileSync(file, 'utf8').match(new RegExp(`^${name}[:=]\\s*"?([^"\\n]*)`, 'm'))?.[1];
const buildArch = run('dpkg', '--print-architecture').trim();

// All installed packages, read once, indexed by binary:Package, by name and by what they provide.
const byName = new Map(), provides = new Map(), byBinary = new Map();
const push = (map, key, value) => map.set(key, [...(map.get(key) ?? []), value]);
const fmt = '${binary:Package}\t${Package}\t${Architecture}\t${Version}\t${db:Status-Abbrev}\t${Maintainer}\t${Pre-Depends}, ${Depends}\t${Provides}\n';
for (const line of run('dpkg-query', '-W', '-f', fmt).split('\n')) {
  const [bin, name, arch, ver, status, maint, deps, prov] = line.split('\t');
  if (status?.[1] !== 'i') continue; // keep only "installed" (ii, hi, ...)
  const p = { name, arch, ver, maint, deps, key: `${name}:${arch}` };
  byBinary.set(bin, p); push(byName, name, p);
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
const isExe = (f) => { try { accessSync(f, constants.X_OK); return statSync(f).isFile(); } catch { return false; } };
const which = (t) => t.startsWith('/') ? t : (env.PATH ?? '').split(':').map((d) => `${d}/${t}`).find(isExe) ?? die(`${t} not found on PATH`);
const files = new Map(); // tool -> candidate paths
for (const t of tools) { const f = which(t); files.set(t, [...usrmerge(f), ...usrmerge(realpathSync(f))]); }
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
  if (!own.length) die(`no installed package owns tool ${t}`);
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
// Not from Debian: dpkg records no origin, so look for a vendor's mark in the Version
// or Maintainer (NodeSource: "20.20.2-1nodesource1+repack1", support@nodesource.com;
// Kitware's cmake and apt.llvm.org's clang are marked alike). apt-cache policy is no help: Debian
// versions superseded by a point release are, like NodeSource's, known only from
// /var/lib/dpkg/status, and the answer changes with each apt-get update.
// Such packages stay in Installed-Build-Depends, which lists everything installed that
// the build uses, and are named again in Not-From-Debian so that no reader misses them.
const vendorMark = /nodesource|kitware|llvm\.org/i;
const foreign = [...seen.values()].filter((p) => vendorMark.test(`${p.ver} ${p.maint}`));
const out = [
  'Format: 1.0', `Source: ${source}`, `Version: ${version}`,
  `Build-Origin: ${field('/etc/dpkg/origins/default', 'Vendor')}`,
  `Build-Architecture: ${buildArch}`,
  `Build-Distribution: ${field('/etc/os-release', 'VERSION_CODENAME')}`,
  `Build-Debian-Version: ${readFileSync('/etc/debian_version', 'utf8').trim()}`,
  `Source-Date-Epoch: ${epoch}`,
  'Installed-Build-Depends:', [...seen.values()].map(entry).sort().map((e) => ` ${e}`).join(',\n'),
];
const other = foreign.map(entry).sort();
if (other.length) out.push('Not-From-Debian:', other.map((e) => ` ${e}`).join(',\n'));
process.stdout.write(out.join('\n') + '\n');
