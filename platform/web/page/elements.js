// Building blocks of the page's HTML: elements, resource texts with their
// mnemonics, and pictures from the program's memory.

// Where the windows go.
export function desktop() {
  return document.getElementById('octaspin-desktop') || document.body;
}

export function element(tag, className, parent) {
  const e = document.createElement(tag);
  if (className) {
    e.className = className;
  }
  if (parent) {
    parent.appendChild(e);
  }
  return e;
}

// A resource text with '&' before its mnemonic letter ('&&' is an '&'):
// the text with the letter underlined, and the letter.
export function labelled(node, text) {
  let mnemonic = '';
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (c === '&' && i + 1 < text.length) {
      const next = text[++i];
      if (next !== '&' && !mnemonic) {
        mnemonic = next.toUpperCase();
        element('u', '', node).textContent = next;
        continue;
      }
      node.appendChild(document.createTextNode(next));
    } else if (c !== '&') {
      node.appendChild(document.createTextNode(c));
    }
  }
  node.normalize();
  return mnemonic;
}

// A 24-bit picture (blue, green, red; rows `stride` bytes apart) from
// the program's memory onto a canvas of its size.
export function drawBgr(canvas, pointer, width, height, stride) {
  canvas.width = width;
  canvas.height = height;
  const image = canvas.getContext('2d').createImageData(width, height);
  for (let y = 0; y < height; ++y) {
    let s = pointer + y * stride;
    let d = y * width * 4;
    for (let x = 0; x < width; ++x, s += 3, d += 4) {
      image.data[d] = HEAPU8[s + 2];
      image.data[d + 1] = HEAPU8[s + 1];
      image.data[d + 2] = HEAPU8[s];
      image.data[d + 3] = 255;
    }
  }
  canvas.getContext('2d').putImageData(image, 0, 0);
}
