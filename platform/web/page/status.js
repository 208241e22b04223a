// What the page publishes as window.octaspin for scripts and tests:
//   frames:       passes presented so far,
//   exitCode:     null while the program runs, its exit code after,
//   firstFrameMs: when the first frame was presented (ms from the page's
//                 start; null before),
//   workMs:       time the program has run between its yields to the
//                 browser, so workMs / frames is the cost of one pass.
export const status = { frames: 0, exitCode: null, firstFrameMs: null, workMs: 0 };
