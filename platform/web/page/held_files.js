// Files from the browser that the program reads, held here in memory: a
// file chosen in the file picker or dropped on a canvas, under a path of
// its own, until the program has read it.

// The files of one choice or drop share a folder (/models/3/knot.obj and
// /models/3/knot.mtl), so that a model finds the materials that came with
// it and two files of one name never meet. A file the program has read is
// let go at once; the rest of a choice or drop is let go when the program
// is handed the next one.
let foldersMade = 0;
const held = new Map(); // path -> Uint8Array, or null when the browser could not read the file
let handedOver = [];

// The program has these paths now; what is left of earlier ones goes.
export function handOver(paths) {
  handedOver.forEach(function (path) { held.delete(path); });
  handedOver = paths.slice();
}

// A file's name as one path component: no separators or control
// characters, at most 200 characters (its end, with the extension, kept).
function componentFor(name) {
  let chars = Array.from(String(name).replace(/[\u0000-\u001f\u007f/\\]/g, '_'));
  if (chars.length > 200) {
    chars = chars.slice(0, 190).concat(chars.slice(-10));
  }
  const text = chars.join('');
  return text === '' || text === '.' || text === '..' ? 'model' : text;
}

function isMaterials(name) {
  return /\.mtl$/i.test(name);
}

// Reads the files into memory, in one new folder; resolves to their paths
// (as many as the program's event text has room for: one a line, in under
// 1 000 bytes), the materials files after the others, so that the first
// path is the model's. A file the browser cannot read keeps its path, and
// the program says it cannot read it.
export async function holdFiles(files) {
  const encoder = new TextEncoder();
  const folder = '/models/' + ++foldersMade + '/';
  const ordered = Array.from(files).filter(function (f) { return !isMaterials(f.name); })
    .concat(Array.from(files).filter(function (f) { return isMaterials(f.name); }));
  const taken = [];
  let bytes = 0;
  for (const file of ordered) {
    const path = folder + componentFor(file.name);
    bytes += encoder.encode(path).length + 1;
    if (bytes > 1000) {
      break;
    }
    if (!taken.some(function (t) { return t.path === path; })) {
      taken.push({ file: file, path: path });
    }
  }
  const contents = await Promise.all(taken.map(function (t) {
    return t.file.arrayBuffer().then(function (b) { return new Uint8Array(b); },
                                     function () { return null; });
  }));
  taken.forEach(function (t, i) { held.set(t.path, contents[i]); });
  return taken.map(function (t) { return t.path; });
}

// The size of the file held at `path`: -1 when none is, -2 when the
// browser could not read it.
export function fileSize(path) {
  if (!held.has(path)) {
    return -1;
  }
  const bytes = held.get(path);
  return bytes === null ? -2 : bytes.length;
}

// Copies the file held at `path` to the program's memory at `pointer` and
// lets it go.
export function readFile(path, pointer) {
  HEAPU8.set(held.get(path), pointer);
  held.delete(path);
}
