// Usage: node cmake/sbom.mjs VERSION EPOCH >dist/person-card-VERSION.cdx.json
//
// The release's software bill of materials, CycloneDX 1.6: every file of
// dist/ (but SHA256SUMS) with its SHA-256 and, where it holds a program,
// that program, made from the source tarball, and the code of others that
// build/contents/FILE says is linked into it, statically or dynamically.
import { createHash } from 'node:crypto';
import { existsSync, readFileSync, readdirSync } from 'node:fs';

const [version, epoch] = process.argv.slice(2);
const source = `person-card-${version}.tar.gz`;
// What each source package's code in a program is under, as SPDX, by the
// package's name without a compiler's version (gcc-12 is gcc).
const licences = {
  glibc: 'LGPL-2.1-or-later',
  musl: 'MIT',
  gcc: 'GPL-3.0-or-later WITH GCC-exception-3.1',
  'gcc-mingw-w64': 'GPL-3.0-or-later WITH GCC-exception-3.1',
  'mingw-w64': 'ZPL-2.1 AND LicenseRef-Lucent AND LicenseRef-David-Gay',
  emscripten: '(MIT OR NCSA) AND MIT AND (Apache-2.0 WITH LLVM-exception OR NCSA)',
};
const sha256 = (file) => createHash('sha256').update(readFileSync(file)).digest('hex');
const hashes = (file) => [{ alg: 'SHA-256', content: sha256('dist/' + file) }];
const purl = (name, version, arch) =>
  `pkg:deb/debian/${name}@${encodeURIComponent(version)}${arch ? '?arch=' + arch : ''}`;

const files = readdirSync('dist').filter((f) => f != 'SHA256SUMS' && !f.endsWith('.cdx.json')).sort();
const components = [], dependencies = [], libraries = new Map();
for (const file of files) {
  const component = { type: 'file', 'bom-ref': file, name: file, hashes: hashes(file) };
  components.push(component);
  if (!existsSync('build/contents/' + file)) continue;
  // One line a library file: link, package, version, source, source version, path.
  const uses = new Set();
  for (const line of readFileSync('build/contents/' + file, 'utf8').trim().split('\n')) {
    const [link, pkg, pkgVersion, src, srcVersion] = line.split(' ');
    const ref = `${purl(src, srcVersion, 'source')}#${link}`;
    if (!libraries.has(ref)) {
      const licence = licences[src.replace(/-[0-9.]+$/, '')];
      if (!licence) throw new Error(`no licence known for the source package ${src}`);
      libraries.set(ref, { type: 'library', 'bom-ref': ref, name: src, version: srcVersion,
        purl: purl(src, srcVersion, 'source'), licenses: [{ expression: licence }],
        properties: [{ name: 'person-card:linking', value: link }], binaries: new Set() });
    }
    // dpkg names the architecture only of a package installed for several;
    // code that the release built from source came in no binary package.
    const [name, arch] = pkg.split(':');
    if (pkg != '-') libraries.get(ref).binaries.add(purl(name, pkgVersion, arch));
    uses.add(ref);
  }
  const program = `${file}#program`;
  // Made from the source tarball, named by its hash where the release
  // holds it (a rebuild in an unpacked tarball takes the tarball beside it).
  const made = { type: 'file', name: source };
  if (existsSync('dist/' + source)) made.hashes = hashes(source);
  component.components = [{ type: 'application', 'bom-ref': program, name: 'person-card', version,
    licenses: [{ license: { id: 'MIT' } }], pedigree: { ancestors: [made] } }];
  dependencies.push({ ref: file, dependsOn: [program] }, { ref: program, dependsOn: [...uses].sort() });
}
for (const library of libraries.values()) {
  // The Debian packages that brought the code, as built from the source.
  for (const p of [...library.binaries].sort())
    library.properties.push({ name: 'person-card:debian-package', value: p });
  delete library.binaries;
  components.push(library);
}

const bom = {
  $schema: 'http://cyclonedx.org/schema/bom-1.6.schema.json',
  bomFormat: 'CycloneDX', specVersion: '1.6',
  serialNumber: 'urn:uuid:' + createHash('sha1').update(files.map((f) => sha256('dist/' + f)).join()).digest('hex')
    .replace(/^(.{8})(.{4}).(.{3}).(.{3})(.{12}).*/, '$1-$2-5$3-8$4-$5'),
  version: 1,
  metadata: { timestamp: new Date(epoch * 1000).toISOString().replace('.000', ''),
    component: { type: 'application', 'bom-ref': 'person-card', name: 'person-card', version,
      licenses: [{ license: { id: 'MIT' } }] } },
  components, dependencies: [{ ref: 'person-card', dependsOn: files }, ...dependencies],
};
process.stdout.write(JSON.stringify(bom, null, 2) + '\n');
