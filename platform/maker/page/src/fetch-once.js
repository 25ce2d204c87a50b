// @ts-check
// Every file a download needs is fetched once at start-up, so the maker keeps
// working with the network gone.
/** @type {Map<string, Promise<Uint8Array>>} */
const fetched = new Map();

/** @param {string} file */
export function fetchOnce(file) {
  let bytes = fetched.get(file);
  if (!bytes) {
    bytes = fetchBytes(file);
    fetched.set(file, bytes);
  }
  return bytes;
}

/** @param {string} file */
export function fetchBytes(file) {
  return fetch(file).then((response) => {
    if (!response.ok) throw new Error(`${file}: HTTP ${response.status}`);
    return response.arrayBuffer();
  }).then((buffer) => new Uint8Array(buffer));
}
