// @ts-check
// The page's elements by id, and its status line.

/** @param {string} id @returns {any} */
export const $ = (id) => document.getElementById(id);
/** @param {string} words */
export const status = (words) => { $('status').textContent = words; };
