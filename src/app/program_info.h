#pragma once
// What every installed program (intro, modrender, modplay, modasm, intro-preview,
// intro-capture)
// answers to --help and --version.

// The release, from the project's version in CMakeLists.txt.
const char* IntroVersion();

// When any argument is --help (or -h), prints `usage` to standard output;
// when any is --version, prints "<program> <version>". Returns true when it
// answered: the caller then exits with 0 and does nothing else.
bool AnswerHelpOrVersion(int argc, const char* const* argv, const char* program, const char* usage);
