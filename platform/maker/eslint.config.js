// eslint's checks of the maker's page code: the page's modules (page/src),
// the tools' worker and the sound worklet.
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    files: ['page/**/*.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'script', globals: { ...globals.browser } },
  },
  {
    files: ['page/src/**/*.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'module', globals: { ...globals.browser } },
  },
  {
    // The song.wav and video downloads: modules of their own, loaded when asked for.
    files: ['page/export-*.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'module', globals: { ...globals.browser, ...globals.worker } },
  },
  {
    files: ['page/maker-tools-worker.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'script', globals: { ...globals.worker, MakerTools: 'readonly' } },
  },
  {
    files: ['page/maker-worklet.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'script', globals: { ...globals.audioWorklet } },
  },
  {
    files: ['page/maker-sw.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'script', globals: { ...globals.serviceworker } },
  },
  {
    rules: {
      'no-unused-vars': ['error', { args: 'after-used', caughtErrors: 'none' }],
      eqeqeq: 'error',
      'prefer-const': 'error',
      'no-var': 'error',
    },
  },
];
