#pragma once
// What every program (intro, modrender, modplay, modasm, intro-preview,
// intro-capture, and the build and test helpers fontc, pagec, wavcompare)
// answers to --help and --version.

// The release, from the project's version in CMakeLists.txt.
const char* IntroVersion();

// When any argument is --help (or -h), prints `usage` to standard output;
// when any is --version, prints "<program> (intro) <version>" and the
// copyright and licence lines (the form help2man reads for the manual pages).
// Returns true when it answered: the caller then exits with 0 and does
// nothing else.
bool AnswerHelpOrVersion(int argc, const char* const* argv, const char* program, const char* usage);
