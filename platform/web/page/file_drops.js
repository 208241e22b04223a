// Files dragged over the page: a drop on a window's canvas is the
// window's (platform/web/page/windows.js); anywhere else it is refused.

export function carriesFiles(e) {
  return e.dataTransfer && Array.from(e.dataTransfer.types).indexOf('Files') >= 0;
}

// Anywhere else on the page a dropped file is refused, not opened by the
// browser in place of the page.
export function refuseStrayDrops() {
  document.addEventListener('dragover', function (e) {
    if (!e.defaultPrevented && carriesFiles(e)) {
      e.preventDefault();
      e.dataTransfer.dropEffect = 'none';
    }
  });
  document.addEventListener('drop', function (e) {
    if (carriesFiles(e)) {
      e.preventDefault();
    }
  });
}
