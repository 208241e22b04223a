// The program's top-level windows on the page, by the backend's window id.
export const windows = new Map();
