// Files from the browser copied into the program's in-memory file system,
// and removed again once the program has read them.

// Each copy goes into a folder of its own (/models/3/knot.obj), so that
// two files of one name never meet. The program reads a model as soon as
// it has its path, so the copies it has been handed are removed when the
// next file comes in, rather than kept for the page's lifetime.
let copiesMade = 0;
let handedOver = [];

// The program has the copies' paths now.
export function handOver(copies) {
  handedOver = handedOver.concat(copies);
}

function removeHandedOver() {
  handedOver.forEach(function (c) {
    try {
      FS.unlink(c.path);
      FS.rmdir(c.folder);
    } catch (e) {
      // never written (unreadable), or gone already
    }
  });
  handedOver = [];
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

// Copies the files in (as many as the program's event text has room for:
// their paths, one a line, in under 1 000 bytes); resolves to
// [{folder, path}]. A file the browser cannot read keeps its path but
// gets no copy, so the program says it cannot open it.
export async function copyIn(files) {
  const encoder = new TextEncoder();
  const taken = [];
  let bytes = 0;
  for (const file of files) {
    const folder = '/models/' + (copiesMade + taken.length + 1);
    const path = folder + '/' + componentFor(file.name);
    bytes += encoder.encode(path).length + 1;
    if (bytes > 1000) {
      break;
    }
    taken.push({ file: file, folder: folder, path: path });
  }
  copiesMade += taken.length;
  const contents = await Promise.all(taken.map(function (t) {
    return t.file.arrayBuffer().then(function (b) { return new Uint8Array(b); },
                                     function () { return null; });
  }));
  removeHandedOver();
  try {
    FS.mkdir('/models');
  } catch (e) {
    // there already
  }
  return taken.map(function (t, i) {
    if (contents[i] !== null) {
      FS.mkdir(t.folder);
      FS.writeFile(t.path, contents[i]);
    }
    return { folder: t.folder, path: t.path };
  });
}
